// The "Page setup" values: what each field shows for a measured printer, in
// the order the dialog fills them, and what it shows without one.
#include "page/page_setup_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page/printing.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

TEST(PageSetupValues, LengthsInInchesInSinglePrecision) {
  struct Case {
    std::uint32_t units;
    const char* expected;
  } cases[] = {
      {0, "0.00"},  {25, "0.25"}, {5, "0.05"}, {100, "1.00"}, {1234, "12.34"},
      // Single precision loses the last hundredth of large values.
      {16777217, "167772.16"},
      {4294967295u, "42949672.00"},
  };
  for (const Case& c : cases) EXPECT_EQ(format_inches(c.units), c.expected) << c.units;
}

TEST(PageSetupValues, PaperSizeWithAndWithoutResolution) {
  EXPECT_EQ(format_paper_inches(5100, 600), "8.50");
  EXPECT_EQ(format_paper_inches(3300, 300), "11.00");
  EXPECT_EQ(format_paper_inches(2479, 300), "8.26");
  EXPECT_EQ(format_paper_inches(0, 0), "-");
  EXPECT_EQ(format_paper_inches(5100, 0), "-");
  // The width is unsigned: a huge value is not shown negative.
  EXPECT_EQ(format_paper_inches(4294967295u, 1), "4294967296.00");
}

TEST(PageSetupValues, RowsOfAMeasuredPrinterInDialogOrder) {
  test::EngineFixture f;  // Letter at 600 dpi, 150-pixel unprintable strips
  f.use_metrics({20, 2, 10, 12});
  ASSERT_EQ(open_printer(f.engine), 1);
  const auto rows = page_setup_rows(f.engine, "Courier New", -12);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kPageSetupRowCount));

  struct Expected {
    int id;
    const char* label;
    const char* text;
    const char* unit;
  } expected[] = {
      {1082, "Selected printer", "Recording Printer", ""},
      {1083, "Selected font", "Courier New", ""},
      {1084, "", "12", "units"},
      {1080, "Printer horz. res.", "600", "dpi"},
      {1081, "Printer vert. res.", "600", "dpi"},
      {1071, "Paper width", "8.50", "inch"},
      {1072, "Paper height", "11.00", "inch"},
      {1075, "Left margin", "0.25", "inch"},
      {1076, "Right margin", "0.25", "inch"},
      {1077, "Top margin", "0.25", "inch"},
      {1078, "Bottom margin", "0.25", "inch"},
      {1079, "Line spacing", "0.22", "inch"},
      {1085, "Character spacing", "0.12", "inch"},
      {1073, "Lines per page", "47", ""},  // 1050 / 22
      {1074, "Characters per line", "66", ""},  // 800 / 12
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].id, expected[i].id) << i;
    EXPECT_EQ(rows[i].label, expected[i].label) << i;
    EXPECT_EQ(rows[i].text, expected[i].text) << expected[i].label;
    EXPECT_EQ(rows[i].unit, expected[i].unit) << expected[i].label;
  }
}

TEST(PageSetupValues, FontSizeIsMinusTheHeight) {
  test::EngineFixture f;
  struct Case {
    std::int32_t height;
    const char* expected;
  } cases[] = {{-12, "12"}, {-24, "24"}, {10, "-10"}, {0, "0"}, {INT32_MIN, "2147483648"}};
  for (const Case& c : cases)
    EXPECT_EQ(page_setup_rows(f.engine, "Lucida Console", c.height)[2].text, c.expected) << c.height;
}

// Without a measured printer the page is laid out for an assumed one; the
// dialog says there is no printer instead of showing that one's resolution
// and paper, and still shows the layout the sheet is made with.
TEST(PageSetupValues, WithoutAPrinterNoResolutionOrPaperIsShown) {
  struct Case {
    const char* what;
    bool measure;
    std::string device_string;
    bool fail_create_device;
    const char* printer;
  } cases[] = {
      {"nothing measured yet", false, "Recording Printer,recording,FILE:", false, "no printer"},
      {"no default printer", true, ",,,", false, "no printer"},
      {"printer not usable", true, "Gone,recording,FILE:", true, "Gone (not available)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::EngineFixture f;
    f.use_metrics({20, 2, 10, 12});
    f.printers.config().device_string = c.device_string;
    f.printers.config().fail_create_device = c.fail_create_device;
    if (c.measure) {
      EXPECT_EQ(open_printer(f.engine), 0);
    }
    const auto rows = page_setup_rows(f.engine, "Courier New", -12);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kPageSetupRowCount));
    EXPECT_EQ(rows[0].text, c.printer);
    for (std::size_t i = 3; i <= 6; ++i) {
      EXPECT_EQ(rows[i].text, "-") << rows[i].label;
    }
    if (!c.measure) continue;
    // The assumed printer's layout: quarter-inch margins, the font's spacing.
    EXPECT_EQ(rows[7].text, "0.25");
    EXPECT_EQ(rows[12].text, "0.12");
    EXPECT_EQ(rows[14].text, "66");
  }
}

}  // namespace
}  // namespace morvane
