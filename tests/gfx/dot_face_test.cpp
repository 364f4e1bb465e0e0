// The dot-matrix face: its glyph table kept to the head's rules, and every
// character's dots on the grid of its cell in each print style.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gfx/dots/dot_font.h"
#include "gfx/dots/dot_layout.h"

namespace morvane {
namespace {

constexpr int kFirst = 0x20;
constexpr int kLast = 0x7E;

int pins_in(std::uint16_t row) { return __builtin_popcount(row); }

template <class Rows>
int pins_in(const Rows& rows) {
  int n = 0;
  for (auto r : rows) n += pins_in(r);
  return n;
}

bool descends(unsigned char ch) {
  const DraftRows g = draft_rows(ch);
  return g[7] != 0 || g[8] != 0;
}

CharCell cell(std::int32_t advance, std::int32_t line_height) {
  CharCell c;
  c.advance = advance;
  c.line_height = line_height;
  return c;
}

// A pattern as a set of rounded positions, for comparing patterns.
using Spots = std::set<std::pair<long, long>>;

Spots spots(const DotPattern& p, double dx = 0, double dy = 0) {
  Spots s;
  for (const Dot& d : p.dots) s.emplace(std::lround((d.x + dx) * 1000), std::lround((d.y + dy) * 1000));
  return s;
}

Spots join(Spots a, const Spots& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// The pins a pattern fires, read back through its grid; a dot off the grid
// is reported.
std::map<int, std::uint16_t> pins_on_grid(const DotPattern& p, const DotGrid& g) {
  std::map<int, std::uint16_t> rows;
  for (const Dot& d : p.dots) {
    const double col = d.x / g.step - 1;
    const double row = (d.y - g.top) / g.pitch;
    const long c = std::lround(col);
    const long r = std::lround(row);
    EXPECT_NEAR(col, c, 1e-9);
    EXPECT_NEAR(row, r, 1e-9);
    rows[static_cast<int>(r)] |= static_cast<std::uint16_t>(1u << c);
  }
  return rows;
}

TEST(DotGlyphs, TableKeepsTheHeadsRules) {
  std::set<std::vector<std::uint16_t>> shapes;
  for (int ch = kFirst; ch <= kLast; ++ch) {
    const DraftGlyph& g = kDraftGlyphs[ch - kFirst];
    const std::string name(1, static_cast<char>(ch));
    ASSERT_EQ(static_cast<unsigned char>(g.ch), ch) << "glyphs out of code order at " << name;
    for (const char* row : g.rows) {
      ASSERT_EQ(std::strlen(row), static_cast<std::size_t>(kGlyphColumns)) << name;
      EXPECT_EQ(std::strspn(row, "#."), static_cast<std::size_t>(kGlyphColumns)) << name;
    }
    const DraftRows rows = draft_rows(static_cast<unsigned char>(ch));
    for (int r = 0; r < kGlyphRows; ++r) {
      // A pin fires again only a whole step later.
      EXPECT_EQ(rows[r] & (rows[r] >> 1), 0) << name << " row " << r;
    }
    if (ch != ' ') {
      EXPECT_GT(pins_in(rows), 0) << name;
    }
    EXPECT_TRUE(shapes.insert({rows.begin(), rows.end()}).second) << name << " repeats a glyph";
  }
}

TEST(DotGlyphs, CapitalsStandOnTheBaselineAndLowerCaseDescends) {
  for (int ch = kFirst; ch <= kLast; ++ch) {
    const auto c = static_cast<unsigned char>(ch);
    const DraftRows g = draft_rows(c);
    const std::string name(1, static_cast<char>(ch));
    if (std::isupper(c) != 0 || std::isdigit(c) != 0) {
      EXPECT_NE(g[0], 0) << name << " reaches the capital height";
      EXPECT_NE(g[6], 0) << name << " stands on the baseline";
      EXPECT_FALSE(descends(c)) << name;
    }
    if (std::islower(c) != 0) {
      EXPECT_NE(g[2], 0) << name << " reaches the x-height";
      EXPECT_NE(g[6], 0) << name << " stands on the baseline";
    }
  }
  for (char ch : std::string("gjpqy")) EXPECT_TRUE(descends(static_cast<unsigned char>(ch))) << ch;
  EXPECT_EQ(pins_in(draft_rows(0x1F)) + pins_in(draft_rows(0x7F)) + pins_in(draft_rows(0xC9)), 0);
}

TEST(DotGlyphs, ScriptFormsKeepEveryPin) {
  for (int ch = kFirst; ch <= kLast; ++ch) {
    const auto c = static_cast<unsigned char>(ch);
    const ScriptRows s = script_rows(c);
    if (c == 'j') {
      // Drawn anew: the dot stays apart from the stem.
      EXPECT_NE(s[0], 0);
      EXPECT_EQ(s[1], 0);
      EXPECT_GT(pins_in(s), 5);
      continue;
    }
    EXPECT_EQ(pins_in(s), pins_in(draft_rows(c))) << static_cast<char>(ch);
  }
}

TEST(DotLayout, EveryGlyphLandsOnItsGrid) {
  for (const CharCell& c : {cell(14, 27), cell(31, 40), cell(7, 27)}) {
    const DotGrid g = char_grid(c);
    for (int ch = kFirst; ch <= kLast; ++ch) {
      const auto byte = static_cast<unsigned char>(ch);
      const auto rows = pins_on_grid(char_dots(byte, c, false), g);
      const DraftRows want = draft_rows(byte);
      for (int r = 0; r < kGlyphRows; ++r) {
        EXPECT_EQ(rows.count(r) ? rows.at(r) : 0, want[r]) << static_cast<char>(ch) << " row " << r;
      }
    }
  }
}

TEST(DotLayout, HHasItsBarOnTheMiddleRowBetweenItsStems) {
  const CharCell c = cell(24, 36);
  const DotPattern h = char_dots('H', c, false);
  std::map<double, std::vector<double>> by_row;
  for (const Dot& d : h.dots) by_row[d.y].push_back(d.x);
  ASSERT_EQ(by_row.size(), 7u);  // the capital's seven rows
  const std::vector<double> ys = [&] {
    std::vector<double> v;
    for (const auto& [y, xs] : by_row) v.push_back(y);
    return v;
  }();
  for (std::size_t r = 0; r < ys.size(); ++r) {
    std::vector<double> xs = by_row[ys[r]];
    std::sort(xs.begin(), xs.end());
    if (r == 3) {
      ASSERT_EQ(xs.size(), 5u);
      EXPECT_DOUBLE_EQ(ys[r], (ys.front() + ys.back()) / 2);
    } else {
      ASSERT_EQ(xs.size(), 2u) << "row " << r;
    }
    // The stems, and the bar between them, keep the cell's middle.
    EXPECT_NEAR(xs.front() + xs.back(), 24, 1e-9) << "row " << r;
  }
  // Rows a pin pitch apart, the cell's line being twelve pitches.
  EXPECT_DOUBLE_EQ(ys[1] - ys[0], 3);
  EXPECT_DOUBLE_EQ(h.diameter, 3);
}

TEST(DotLayout, StylesRepeatOrStretchEveryDot) {
  const CharCell normal = cell(14, 27);
  const double step = 14.0 / 12;
  const double third = 27.0 / 12 / 3;
  struct Case {
    const char* name;
    void (*style)(CharCell&);
    double dx, dy;  // where each dot prints again
  };
  const Case cases[] = {
      {"emphasized", [](CharCell& c) { c.emphasized = true; }, step, 0},
      {"double strike", [](CharCell& c) { c.double_strike = true; }, 0, third},
  };
  for (int ch = kFirst; ch <= kLast; ++ch) {
    const auto byte = static_cast<unsigned char>(ch);
    const DotPattern plain = char_dots(byte, normal, false);
    for (const Case& k : cases) {
      CharCell styled = normal;
      k.style(styled);
      const DotPattern p = char_dots(byte, styled, false);
      EXPECT_EQ(p.dots.size(), 2 * plain.dots.size()) << k.name << " " << static_cast<char>(ch);
      EXPECT_EQ(spots(p), join(spots(plain), spots(plain, k.dx, k.dy))) << k.name << " " << static_cast<char>(ch);
    }
    // Double width: the grid twice as wide, every dot printed twice, a head's
    // half step either side of where the stretched grid puts it.
    const DotPattern stretched = char_dots(byte, cell(28, 27), false);
    for (std::size_t i = 0; i < plain.dots.size(); ++i) {
      EXPECT_DOUBLE_EQ(stretched.dots[i].x, 2 * plain.dots[i].x);
      EXPECT_DOUBLE_EQ(stretched.dots[i].y, plain.dots[i].y);
    }
    CharCell wide = cell(28, 27);
    wide.wide = true;
    EXPECT_EQ(spots(char_dots(byte, wide, false)), join(spots(stretched, -step, 0), spots(stretched, step, 0)));
    // Emphasized adds the head's half step to each of them.
    wide.emphasized = true;
    EXPECT_EQ(spots(char_dots(byte, wide, false)),
              join(join(spots(stretched, -step, 0), spots(stretched)),
                   join(spots(stretched, step, 0), spots(stretched, 2 * step, 0))));
  }
}

// Every style together, superscript and subscript as the layout places them:
// the dots keep to the character's cell across and to its line down.
TEST(DotLayout, EveryStyleStaysInItsCellAndLine) {
  const std::int32_t lh = 27;
  for (int styles = 0; styles < 32; ++styles) {
    CharCell c = cell(14, lh);
    c.emphasized = styles & 1;
    c.double_strike = styles & 2;
    c.wide = styles & 4;
    c.script = styles & 8;
    const bool underline = styles & 16;
    if (c.wide) c.advance *= 2;
    if (c.script) c.advance /= 2;
    for (const std::int32_t lowered : {0, lh / 3}) {
      if (lowered != 0 && !c.script) continue;
      for (int ch = kFirst; ch <= kLast; ++ch) {
        const DotPattern p = char_dots(static_cast<unsigned char>(ch), c, underline);
        const double r = p.diameter / 2;
        for (const Dot& d : p.dots) {
          // Centres inside the cell across: at most half a dot reaches over.
          EXPECT_GE(d.x, 0) << styles << " " << static_cast<char>(ch);
          EXPECT_LE(d.x, c.advance + 1e-9) << styles << " " << static_cast<char>(ch);
          EXPECT_GE(lowered + d.y - r, 0) << styles << " " << static_cast<char>(ch);
          EXPECT_LE(lowered + d.y + r, lh) << styles << " " << static_cast<char>(ch);
        }
      }
    }
  }
}

TEST(DotLayout, SuperscriptSitsHighAndSubscriptLowInTheLine) {
  const std::int32_t lh = 36;
  CharCell script = cell(7, lh);
  script.script = true;
  const DotPattern normal = char_dots('H', cell(14, lh), false);
  const DotPattern small = char_dots('H', script, false);
  double top = 1e9, bottom = -1e9;  // the capital's rows
  for (const Dot& d : normal.dots) {
    top = std::min(top, d.y);
    bottom = std::max(bottom, d.y);
  }
  // Both keep within half a pitch of the capital's rows, one either side of
  // their middle.
  const double middle = (top + bottom) / 2;
  const double half_pitch = lh / 24.0;
  for (const Dot& d : small.dots) {
    EXPECT_GE(d.y, top - half_pitch - 1e-9);
    EXPECT_LT(d.y, middle);  // superscript: at the cell's own top
    EXPECT_GT(d.y + lh / 3, middle);  // subscript: a third of the line lower
    EXPECT_LE(d.y + lh / 3, bottom + half_pitch + 1e-9);
  }
  // Seven rows at half the pitch, dots of the same pin.
  std::set<double> rows;
  for (const Dot& d : small.dots) rows.insert(d.y);
  EXPECT_EQ(rows.size(), 7u);
  EXPECT_DOUBLE_EQ(*rows.rbegin() - *rows.begin(), 6 * lh / 24.0);
  EXPECT_DOUBLE_EQ(small.diameter, normal.diameter);
}

TEST(DotLayout, UnderlineRunsEvenlyOnTheLowestPinIntoTheNextCell) {
  const CharCell c = cell(14, 27);
  const DotGrid g = char_grid(c);
  for (unsigned char ch : {' ', 'A', 'g', '_'}) {
    const Spots with = spots(char_dots(ch, c, true));
    Spots line = spots(char_dots(' ', c, true));
    const Spots next = spots(char_dots(' ', c, true), c.advance, 0);
    line.insert(next.begin(), next.end());
    std::vector<long> xs;
    for (const auto& [x, y] : line) {
      EXPECT_EQ(y, std::lround(g.y(8) * 1000));
      xs.push_back(x);
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_NEAR(xs[i] - xs[i - 1], 2000 * g.step, 1);
    // The glyph keeps its own dots above or on the line.
    const Spots plain = spots(char_dots(ch, c, false));
    for (const auto& s : plain) EXPECT_TRUE(with.count(s)) << ch;
    for (const auto& s : with) EXPECT_LE(s.second, std::lround(g.y(8) * 1000)) << ch;
  }
}

TEST(DotLayout, NonsenseCellsAndBytesStayFiniteAndDrawNothingWild) {
  for (const std::int32_t v : {INT32_MIN, -5, 0, INT32_MAX}) {
    CharCell c = cell(v, v);
    c.emphasized = c.double_strike = c.wide = true;
    const DotPattern p = char_dots('W', c, true);
    EXPECT_TRUE(std::isfinite(p.diameter));
    EXPECT_GE(p.diameter, 0);
    for (const Dot& d : p.dots) {
      EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y));
      EXPECT_LE(std::fabs(d.x) + std::fabs(d.y), 3e5);
    }
  }
  for (int byte : {0, 0x0D, 0x1F, 0x7F, 0x80, 0xFF}) {
    EXPECT_TRUE(char_dots(static_cast<unsigned char>(byte), cell(14, 27), true).dots.empty()) << byte;
  }
}

}  // namespace
}  // namespace morvane
