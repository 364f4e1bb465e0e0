#include <gtest/gtest.h>

#include <climits>

#include "gfx/recording/recording_surface.h"

namespace morvane {
namespace {

FontDesc font_of(std::int32_t height, std::int32_t width = 0) {
  FontDesc f;
  f.height = height;
  f.width = width;
  f.set_face("Courier New");
  return f;
}

TEST(RecordingSurface, LineRecordsCarryStartPointAndPen) {
  RecordingSurface s;
  s.set_pen(rgb(0, 0, 128), 3);
  s.move_to(10, 20);
  s.line_to(30, 20);
  s.line_to(30, 40);
  auto lines = s.of_kind(DrawKind::line_to);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].x0, 10);
  EXPECT_EQ(lines[0].y0, 20);
  EXPECT_EQ(lines[0].x1, 30);
  EXPECT_EQ(lines[1].x0, 30);
  EXPECT_EQ(lines[1].y0, 20);
  EXPECT_EQ(lines[1].y1, 40);
  EXPECT_EQ(lines[1].color, rgb(0, 0, 128));
  EXPECT_EQ(lines[1].dash, 3);
  EXPECT_EQ(s.count(DrawKind::move_to), 1u);
}

TEST(RecordingSurface, TextAndColumnsAreCopied) {
  RecordingSurface s;
  std::string text = "AB\0C";
  text.resize(4);
  s.draw_text(5, 6, text.data(), text.size(), font_of(-24), rgb(1, 2, 3));
  const std::uint8_t cols[] = {128, 1, 255, 0};
  s.blit_columns(7, 8, cols, 4);
  s.blit_columns(7, 8, nullptr, 0);
  ASSERT_EQ(s.records().size(), 3u);
  EXPECT_EQ(s.records()[0].text, text);  // embedded NUL kept
  EXPECT_EQ(s.records()[0].font, font_of(-24));
  EXPECT_EQ(s.records()[1].columns, (std::vector<std::uint8_t>{128, 1, 255, 0}));
  EXPECT_TRUE(s.records()[2].columns.empty());
  EXPECT_EQ(s.all_text(), text);
}

TEST(RecordingSurface, DefaultMetricsModel) {
  struct Case {
    std::int32_t height, width, tm_height, ave;
  };
  const Case cases[] = {
      {-24, 0, 27, 14}, {-24, 10, 27, 10}, {18, 0, 18, 9}, {0, 0, 18, 9}, {-9, -7, 10, 7},
  };
  RecordingSurface s;
  for (const auto& c : cases) {
    TextMetrics m = s.text_metrics(font_of(c.height, c.width));
    EXPECT_EQ(m.height, c.tm_height) << c.height;
    EXPECT_EQ(m.ave_char_width, c.ave) << c.height;
    EXPECT_EQ(m.max_char_width, c.ave) << c.height;
    EXPECT_EQ(m.external_leading, 0);
  }
  // Extreme heights neither overflow nor go negative.
  TextMetrics m = s.text_metrics(font_of(INT_MIN, INT_MIN));
  EXPECT_GT(m.height, 0);
  EXPECT_GT(m.ave_char_width, 0);
}

TEST(RecordingSurface, MetricsOverridesPerFontAndModel) {
  RecordingSurface s;
  s.set_metrics(font_of(-24), TextMetrics{17, 3, 9, 11});
  s.set_metrics(font_of(-24), TextMetrics{17, 2, 9, 10});  // replaces
  s.set_metrics_model([](const FontDesc&) { return TextMetrics{5, 0, 4, 4}; });
  EXPECT_EQ(s.text_metrics(font_of(-24)).max_char_width, 10);
  EXPECT_EQ(s.text_metrics(font_of(-24)).external_leading, 2);
  EXPECT_EQ(s.text_metrics(font_of(-12)).height, 5);
  EXPECT_EQ(s.metrics_queries(), 3u);
  EXPECT_TRUE(s.records().empty());
}


}  // namespace
}  // namespace morvane
