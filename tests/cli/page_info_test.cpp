#include "cli/page_info.h"

#include <gtest/gtest.h>

#include "cli/backend.h"
#include "page/printing.h"
#include "support/engine_fixture.h"

namespace morvane::cli {
namespace {

// A font that measures 24 + 3 units a line and 14 units a character.
constexpr TextMetrics kMetrics{24, 3, 12, 14};

std::string info_for(const DeviceCaps& caps, std::int32_t font_height) {
  RecordingPrinterConfig config;
  config.device_string = "Morvane PDF,morvane,out.pdf";
  config.caps = caps;
  test::EngineFixture f(config);
  f.use_metrics(kMetrics);
  set_printer_font(f.engine, base_font(font_height, 400, 0, "Courier New"));
  EXPECT_EQ(open_printer(f.engine), 1);
  return format_page_info(f.engine);
}

TEST(PageInfo, LetterAsThePageSetupDialogShowsIt) {
  DeviceCaps caps;
  ASSERT_TRUE(paper_caps(Paper::letter, 600, 150, caps));
  EXPECT_EQ(info_for(caps, -24),
            "Selected printer: Morvane PDF\n"
            "Selected font: Courier New 24 units\n"
            "Printer horz. res.: 600 dpi\n"
            "Printer vert. res.: 600 dpi\n"
            "Paper width: 8.50 inch\n"
            "Paper height: 11.00 inch\n"
            "Left margin: 0.25 inch\n"
            "Right margin: 0.25 inch\n"
            "Top margin: 0.25 inch\n"
            "Bottom margin: 0.25 inch\n"
            "Line spacing: 0.27 inch\n"
            "Character spacing: 0.14 inch\n"
            "Lines per page: 38\n"        // 1050 / 27
            "Characters per line: 57\n");  // 800 / 14
}

TEST(PageInfo, A4KeepsTheTruncatedRemaindersInTheMargins) {
  DeviceCaps caps;
  ASSERT_TRUE(paper_caps(Paper::a4, 600, 100, caps));
  const std::string info = info_for(caps, -12);
  // Paper 826 x 1169 units; printable 793 x 1136 from a left/top margin of 16.
  for (const char* line : {"Selected font: Courier New 12 units\n", "Paper width: 8.27 inch\n",
                           "Paper height: 11.69 inch\n", "Left margin: 0.16 inch\n",
                           "Right margin: 0.17 inch\n", "Bottom margin: 0.17 inch\n",
                           "Lines per page: 42\n", "Characters per line: 56\n"}) {
    EXPECT_NE(info.find(line), std::string::npos) << line << info;
  }
}

TEST(PageInfo, PaperCapsOfTheVirtualPrinter) {
  struct Case {
    Paper paper;
    int dpi, offset;
    bool ok;
    DeviceCaps caps;
  };
  const Case cases[] = {
      {Paper::letter, 600, 150, true, {4800, 6300, 600, 600, 5100, 6600, 150, 150}},
      {Paper::a4, 600, 150, true, {4660, 6716, 600, 600, 4960, 7016, 150, 150}},
      {Paper::letter, 300, 0, true, {2550, 3300, 300, 300, 2550, 3300, 0, 0}},
      {Paper::a4, 300, 75, true, {2330, 3358, 300, 300, 2480, 3508, 75, 75}},
      // At least an inch stays printable: (5100 - 600) / 2 is the largest offset.
      {Paper::letter, 600, 2250, true, {600, 2100, 600, 600, 5100, 6600, 2250, 2250}},
      {Paper::letter, 600, 2251, false, {}},
      {Paper::letter, 0, 0, false, {}},
  };
  for (const Case& c : cases) {
    DeviceCaps caps;
    ASSERT_EQ(paper_caps(c.paper, c.dpi, c.offset, caps), c.ok) << c.dpi << " " << c.offset;
    if (!c.ok) continue;
    EXPECT_EQ(caps.horz_res, c.caps.horz_res);
    EXPECT_EQ(caps.vert_res, c.caps.vert_res);
    EXPECT_EQ(caps.phys_width, c.caps.phys_width);
    EXPECT_EQ(caps.phys_height, c.caps.phys_height);
    EXPECT_EQ(caps.phys_offset_x, c.caps.phys_offset_x);
    EXPECT_EQ(caps.dpi_y, c.caps.dpi_y);
  }
}

// The system's paper names as libpaper gives them: the two sizes morvane
// has by name, the others by their series.
TEST(PageInfo, SystemPaperNames) {
  struct Case {
    const char* name;
    Paper paper;
    bool exact;
  };
  const Case cases[] = {
      {"a4", Paper::a4, true},         {"A4", Paper::a4, true},         {"letter", Paper::letter, true},
      {"Letter", Paper::letter, true}, {"a5", Paper::a4, false},        {"A3", Paper::a4, false},
      {"b5", Paper::a4, false},        {"c10", Paper::a4, false},       {"legal", Paper::letter, false},
      {"executive", Paper::letter, false}, {"ledger", Paper::letter, false}, {"a", Paper::letter, false},
      {"a4x", Paper::letter, false},   {"b", Paper::letter, false},     {"", Paper::letter, false},
  };
  for (const Case& c : cases) {
    const PaperChoice got = paper_by_name(c.name);
    EXPECT_EQ(got.paper, c.paper) << c.name;
    EXPECT_EQ(got.exact, c.exact) << c.name;
  }
}

}  // namespace
}  // namespace morvane::cli

