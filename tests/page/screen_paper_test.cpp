// The printed sheet shows what the screen showed: for generated documents in
// both emulations, with every print style, tabs, bit images of every density,
// plotter drawings, hand-overs, page ends in every state and the user's own
// operations between bytes, and for the documents that once came out wrong.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "layout/text_style.h"
#include "support/screen_paper.h"

namespace morvane {
namespace {

using test::Step;
using test::StepKind;

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

// A string literal with every byte, NULs included.
template <std::size_t N>
std::string lit(const char (&s)[N]) {
  return std::string(s, N - 1);
}

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  std::vector<Step> script(int length) {
    std::vector<Step> steps;
    for (int i = 0; i < length; ++i) steps.push_back(step());
    return steps;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  int byte() { return pick(256); }

  std::string text() {
    std::string s;
    for (int n = 1 + pick(14); n > 0; --n) s += static_cast<char>(' ' + pick(95));
    return s;
  }

  std::string style() {
    switch (pick(14)) {
      case 0: return "\x0f";                      // condensed
      case 1: return "\x12";                      // condensed off
      case 2: return "\x0e";                      // double width for a line
      case 3: return "\x14";                      // double width off
      case 4: return bytes({27, 'E'});
      case 5: return bytes({27, 'F'});
      case 6: return bytes({27, 'G'});
      case 7: return bytes({27, 'H'});
      case 8: return bytes({27, '-', pick(2)});
      case 9: return bytes({27, 'S', pick(2)});
      case 10: return bytes({27, 'T'});
      case 11: return bytes({27, 'W', pick(2)});
      case 12: return bytes({27, "0123"[pick(4)], 1 + pick(200)});
      default: return bytes({27, "CNO"[pick(3)], pick(80)});
    }
  }

  std::string tabs() {
    if (pick(3) == 0) return "\t";
    std::string s = bytes({27, 'D'});
    for (int stop = 0, n = pick(6); n > 0; --n) s += static_cast<char>(stop += 1 + pick(30));
    return s + '\0';
  }

  std::string bit_image() {
    const int count = pick(4) == 0 ? pick(2100) : pick(120);
    std::string s = bytes({27, "KLYZ"[pick(4)], count & 0xFF, count >> 8});
    for (int i = 0; i < count && i < 1920; ++i) s += static_cast<char>(byte());
    return s;
  }

  std::string plotter_line() {
    const auto num = [this] { return std::to_string(pick(1999) - 999); };
    switch (pick(12)) {
      case 0: return "M" + num() + "," + num();
      case 1: return "D" + num() + "," + num() + "," + num() + "," + num();
      case 2: return "J" + num() + "," + num();
      case 3: return "R" + num() + "," + num();
      case 4: return "P" + text();
      case 5: return "Q" + std::to_string(pick(4));
      case 6: return "C" + std::to_string(pick(4));
      case 7: return "L" + std::to_string(pick(16));
      case 8: return "S" + std::to_string(pick(16));
      case 9: return std::string("IHF").substr(static_cast<std::size_t>(pick(3)), 1);
      case 10: return "A";
      default: return "Q1,P" + text();
    }
  }

  std::string plotter() {
    switch (pick(4)) {
      case 0: return bytes({27, '#'}) + plotter_line() + "\r\n";
      case 1: return plotter_line() + "\r\n";
      case 2: return bytes({27, 'C', '0' + pick(4), 13, 10});
      default: return bytes({18, '0' + pick(10), 13});
    }
  }

  std::string page_end() {
    if (pick(2) == 0) return "\x0c";
    std::string s;
    for (int n = 10 + pick(60); n > 0; --n) s += "x\r\n";
    return s;
  }

  Step step() {
    switch (pick(20)) {
      case 0:
        if (pick(8) == 0) return {StepKind::font, {}, static_cast<std::uint32_t>(8 + pick(40))};
        if (pick(8) == 0) return {StepKind::printer, {}, static_cast<std::uint32_t>(pick(3))};
        return {StepKind::drag, {}, static_cast<std::uint32_t>(pick(70))};
      case 1: return {StepKind::emulation, {}, static_cast<std::uint32_t>(pick(2))};
      case 2: return {StepKind::end_now, {}, 0};
      case 3: if (pick(4) == 0) return {StepKind::clear, {}, 0}; return {StepKind::bytes, "\r\n", 0};
      case 4: case 5: return {StepKind::bytes, style(), 0};
      case 6: return {StepKind::bytes, tabs(), 0};
      case 7: return {StepKind::bytes, bit_image(), 0};
      case 8: case 9: return {StepKind::bytes, plotter(), 0};
      case 10: return {StepKind::bytes, page_end(), 0};
      case 11: return {StepKind::bytes, std::string(1, "\r\n\x0b\x08"[pick(4)]), 0};
      default: return {StepKind::bytes, text() + (pick(3) == 0 ? "\r\n" : ""), 0};
    }
  }

  std::mt19937 rng_;
};

// The script in a readable form, for a failure's message.
std::string listing(const std::vector<Step>& steps) {
  static const char* const kinds[] = {"bytes", "drag", "emulation", "end now", "clear", "font", "printer"};
  std::string out;
  for (const Step& s : steps) {
    if (out.size() > 4000) return out + "\n  ...";
    out += std::string("\n  ") + kinds[static_cast<int>(s.kind)] + " " + std::to_string(s.value) + " ";
    for (unsigned char c : s.bytes) {
      if (c >= 0x20 && c < 0x7F && c != '\\') {
        out += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
      }
    }
  }
  return out;
}

test::ScreenAndPaper run(const std::vector<Step>& steps, int emulation, bool close_document) {
  test::ScriptRun r(emulation, close_document);
  for (const Step& s : steps) r.run(s);
  r.run({StepKind::end_now, {}, 0});
  return r.result();
}

TEST(ScreenPaper, GeneratedDocumentsPrintAsTheyShowed) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    const std::vector<Step> steps = Generator(seed).script(60);
    const int emulation = static_cast<int>(seed % 2);
    const bool close_document = seed % 3 != 0;
    const test::ScreenAndPaper r = run(steps, emulation, close_document);
    ASSERT_EQ(test::screen_paper_difference(r), "") << "seed " << seed << listing(steps);
  }
}

// Documents that printed differently from the screen before.
TEST(ScreenPaper, DocumentsThatOnceCameOutWrong) {
  std::string condensed_listing = "\x0f";
  for (int line = 0; line < 90; ++line) condensed_listing += std::string(80, 'A' + line % 26) + "\r\n";
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"page ends condensed", {{StepKind::bytes, lit("\x0fHELLO\r\nWORLD\r\n\x0c" "AB\x0c"), 0}}},
      {"page ends double width", {{StepKind::bytes, lit("\x1bW\x01" "HELLO\x0c" "AB\x0c"), 0}}},
      {"page ends in superscript", {{StepKind::bytes, lit("\x1bS\x00HI\x0c" "AB\x0c"), 0}}},
      {"image line before the page end", {{StepKind::bytes, lit("A\nB\x1bK\x01\x00\xff\x0c" "C\nD\x0c"), 0}}},
      {"condensed listing over two pages", {{StepKind::bytes, condensed_listing, 0}}},
      {"print line dragged", {{StepKind::bytes, lit("A\r\n"), 0}, {StepKind::drag, {}, 9},
                              {StepKind::bytes, lit("B\r\nC\x0c"), 0}}},
      {"hand-over to the plotter", {{StepKind::bytes, lit("TEXT\r\n\x1b#D100,0\r\nA\r\nMORE\x0c"), 0}}},
      {"emulation chosen part-way", {{StepKind::bytes, lit("\x1b" "E" "AB"), 0}, {StepKind::emulation, {}, 1},
                                     {StepKind::bytes, lit("\x1b" "C2\r\nCD\x0c"), 0}}},
      {"label running downwards", {{StepKind::bytes, lit("\x1b#M100,-100\r\nQ1\r\nPDOWN\r\nA\x0c"), 0}}},
      {"image cut off by the end of input", {{StepKind::bytes, lit("ABCDEFGH\r\x1bK\x64\x00\xff\x81"), 0}}},
      {"font chosen part-way", {{StepKind::bytes, lit("WIPED\r\nWIPED TOO\r\n"), 0}, {StepKind::font, {}, 30},
                                {StepKind::bytes, lit("NEW FONT\r\n\x0c"), 0}}},
      {"printer chosen part-way", {{StepKind::bytes, lit("WIPED\r\n\x1bK\x02\x00\xff"), 0}, {StepKind::printer, {}, 1},
                                   {StepKind::bytes, lit("\xff" "ON A4\r\n\x0c"), 0}}},
      {"font chosen on an empty page", {{StepKind::font, {}, 16}, {StepKind::bytes, lit("SMALL\x0c"), 0}}},
  };
  for (const Case& c : cases) {
    for (bool close_document : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (close_document ? ", a document per page" : ", one document"));
      const test::ScreenAndPaper r = run(c.steps, 0, close_document);
      EXPECT_FALSE(r.screen.empty());
      EXPECT_EQ(test::screen_paper_difference(r), "");
    }
  }
}

// The screen's own next page: text is drawn in the font of the styles that
// stay in force, and a short line feed left by an image line does not carry
// over the page end.
TEST(ScreenPaper, TheNextScreenPageStartsConsistently) {
  struct Case {
    const char* name;
    std::string bytes;  // ends a page, then prints two lines
  };
  const Case cases[] = {
      {"condensed", lit("\x0f" "AB\x0c" "CD\nEF")},
      {"expanded", lit("\x1bW\x01" "AB\x0c" "CD\nEF")},
      {"image line", lit("A\nB\x1bK\x01\x00\xff\x0c" "CD\nEF")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScriptRun r(0, true);
    test::EngineFixture& f = r.fixture();
    f.feed(c.bytes);
    const Engine& e = f.engine;
    const auto texts = f.sheet().of_kind(DrawKind::draw_text);
    ASSERT_GE(texts.size(), 2u);
    const DrawRecord& last = texts.back();
    EXPECT_EQ(last.font, make_font(e.screen, e.interp.emulation));
    EXPECT_EQ(static_cast<std::uint32_t>(last.y0), e.screen.margin_top + e.screen.line_height);
  }
}

}  // namespace
}  // namespace morvane
