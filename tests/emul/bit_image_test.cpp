// Bit images through the feed loop: what reaches the sheet column by column,
// where the print position goes, and the strip on the printed page.
#include <gtest/gtest.h>

#include "emul/dot_fixture.h"

namespace morvane::testing {
namespace {

std::vector<DrawRecord> blits(const std::vector<DrawRecord>& records) {
  std::vector<DrawRecord> out;
  for (const auto& r : records) {
    if (r.kind == DrawKind::blit_columns) out.push_back(r);
  }
  return out;
}

class BitImage : public ::testing::Test {
 protected:
  BitImage() {
    run.clear_request();
    run.sheet().clear();
  }
  PageState& page() { return run.engine.screen; }
  DotRun run;
};

TEST_F(BitImage, EachColumnReachesTheSheetAsItArrives) {
  ASSERT_EQ(page().cur_x, 25u);
  ASSERT_EQ(page().cur_y, 25u);
  run.feed({ESC, 'K', 4, 0, 128, 1, 255, 0});
  const auto b = blits(run.sheet().records());
  ASSERT_EQ(b.size(), 4u);
  const std::uint8_t data[] = {128, 1, 255, 0};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(b[k].x0, 25 + k);
    EXPECT_EQ(b[k].y0, 25);
    EXPECT_EQ(b[k].columns, Bytes{data[k]});
  }
  EXPECT_EQ(page().cur_x, 29u);
  EXPECT_EQ(run.engine.interp.short_line_feed, 1);
}

TEST_F(BitImage, ColumnsArrivingInSeveralRunsGrowOneImage) {
  run.feed({ESC, 'K', 3, 0, 7});
  EXPECT_EQ(run.engine.interp.dot.bit_image_mode, 1);
  EXPECT_EQ(page().cur_x, 25u) << "the position moves only when the image is complete";
  run.feed({8, 9});
  const auto b = blits(run.sheet().records());
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[2].x0, 27);
  EXPECT_EQ(page().cur_x, 28u);
}

TEST_F(BitImage, FullStripMovesPositionAndShortensTheNextLineFeed) {
  run.feed(Bytes{ESC, 'K', 224, 1} + repeat(255, 480));
  const auto b = blits(run.sheet().records());
  ASSERT_EQ(b.size(), 480u);
  EXPECT_EQ(b.front().x0, 25);
  EXPECT_EQ(b.back().x0, 504);
  EXPECT_EQ(page().cur_x, 505u);
  const std::uint32_t y = page().cur_y;
  run.feed({10});
  EXPECT_EQ(page().cur_y, y + 8);
  run.feed({10});
  EXPECT_EQ(page().cur_y, y + 8 + page().line_height);
}

TEST_F(BitImage, TwoImagesLieSideBySide) {
  run.feed({ESC, 'K', 2, 0, 1, 2, ESC, 'L', 2, 0, 3, 4});
  const auto b = blits(run.sheet().records());
  ASSERT_EQ(b.size(), 4u);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(b[k].x0, 25 + k);
    EXPECT_EQ(b[k].columns, Bytes{static_cast<std::uint8_t>(k + 1)});
  }
  EXPECT_EQ(page().cur_x, 29u);
}

TEST_F(BitImage, ImagePastTheLineEndIsDrawnWholeThenWraps) {
  const std::uint32_t line_end = page().wrap_width - page().wrap_margin;
  run.feed(Bytes{ESC, 'K', 224, 1} + repeat(255, 480));
  const std::uint32_t y = page().cur_y;
  run.feed(Bytes{ESC, 'K', 224, 1} + repeat(255, 480));
  const auto b = blits(run.sheet().records());
  ASSERT_EQ(b.size(), 960u);
  EXPECT_GT(static_cast<std::uint32_t>(b.back().x0), line_end);
  EXPECT_EQ(b.back().x0, 984);
  EXPECT_EQ(page().cur_x, page().margin_left);
  EXPECT_EQ(page().cur_y, y + 8) << "the wrap is the short line feed";
  EXPECT_EQ(run.engine.interp.short_line_feed, 0);
}

TEST_F(BitImage, EmptyImageClearsButDrawsAndMovesNothing) {
  run.feed({ESC, 'K', 3, 0, 255, 255, 255});
  run.feed({ESC, 'K', 0, 0});
  EXPECT_EQ(blits(run.sheet().records()).size(), 3u);
  EXPECT_EQ(page().cur_x, 28u);
  EXPECT_EQ(run.engine.interp.bit_image.columns[0], 0) << "the buffer was cleared";
}

TEST_F(BitImage, ReleasedBufferIsMadeAgainAndTheImageStillEnds) {
  run.feed(Bytes{ESC, 'K', 10, 0} + repeat(0xFF, 5));
  release_bit_image(run.engine.interp);
  EXPECT_FALSE(run.engine.interp.bit_image.exists);
  run.feed(repeat(0x0F, 5));
  EXPECT_TRUE(run.engine.interp.bit_image.exists);
  EXPECT_EQ(run.engine.interp.dot.bit_image_mode, 0);
  EXPECT_EQ(page().cur_x, 35u);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(run.engine.interp.bit_image.columns[k], 0) << "made again white";
  for (int k = 5; k < 10; ++k) EXPECT_EQ(run.engine.interp.bit_image.columns[k], 0x0F);
  const auto b = blits(run.sheet().records());
  ASSERT_EQ(b.size(), 10u);
  EXPECT_EQ(b[4].columns, Bytes{0xFF}) << "columns already shown stay on the sheet";
  EXPECT_EQ(run.interpret({'A'}), Bytes{'A'});
}

TEST_F(BitImage, ImageBeginningAPrintedPageReachesThePrinter) {
  run.feed({ESC, 'K', 3, 0, 1, 2, 3, 'x', 12});
  const auto sheets = run.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  const auto b = blits(sheets[0]);
  ASSERT_EQ(b.size(), 1u) << "the printer gets the strip at once";
  EXPECT_EQ(b[0].x0, 25);
  EXPECT_EQ(b[0].y0, 25);
  EXPECT_EQ(b[0].columns, (Bytes{1, 2, 3}));
  EXPECT_EQ(sheets[0].front().kind, DrawKind::blit_columns) << "drawn first, on a started sheet";
  EXPECT_EQ(run.printed().stray_draws, 0u);
}

TEST_F(BitImage, PrintedStripFollowsTextAtThePrinterPosition) {
  run.feed({'a', 'b', ESC, 'Z', 2, 0, 0x81, 0x42, 10, 'c', 12});
  const auto sheets = run.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  const auto b = blits(sheets[0]);
  ASSERT_EQ(b.size(), 1u);
  const PageState& pr = run.engine.printer;
  EXPECT_EQ(b[0].x0, static_cast<std::int32_t>(25 + 2 * pr.char_width));
  EXPECT_EQ(b[0].columns, (Bytes{0x81, 0x42}));
  std::int32_t c_y = -1;
  for (const auto& r : sheets[0]) {
    if (r.kind == DrawKind::draw_text && r.text == "c") c_y = r.y0;
  }
  EXPECT_EQ(c_y, 25 + 8) << "the short line feed on the printer page too";
}

TEST_F(BitImage, PrinterPageWithoutDocumentOnlyMoves) {
  PageState& pr = run.engine.printer;
  pr.cur_x = 40;
  run.interpret(pr, {ESC, 'K', 2, 0, 255, 255});
  EXPECT_EQ(run.printed().count(PrinterCall::start_page), 0u);
  EXPECT_EQ(pr.cur_x, 42u);
  EXPECT_EQ(run.engine.interp.short_line_feed, 1);
}

// A page that only notes what the interpreter hands it of an image.
class ImageLog final : public PageTarget {
 public:
  ImageLog() : PageTarget(page_) {}
  Surface* drawing_surface() override { return nullptr; }
  const FontDesc& current_font() const override { return font_; }
  void image_column(Interpreters&, std::int32_t index) override { columns.push_back(index); }
  void image_complete(Interpreters&, std::uint32_t received) override { completed.push_back(received); }

  std::vector<std::int32_t> columns;
  std::vector<std::uint32_t> completed;

 private:
  PageState page_;
  FontDesc font_;
};

std::vector<std::int32_t> first(std::int32_t n, std::vector<std::int32_t> before = {}) {
  for (std::int32_t k = 0; k < n; ++k) before.push_back(k);
  return before;
}

// Whatever page it is laid out on, the interpreter hands the page each column
// that came exactly once, in order, and ends each image once with the count
// of columns that came; the position moves by the image's own count, and the
// next byte is text again.
TEST(BitImageTarget, GetsEveryColumnOnceAndEachImageEndOnce) {
  struct Case {
    const char* name;
    Bytes bytes;
    bool cut_off;  // the sender stops there: the command is given up
    std::vector<std::int32_t> columns;
    std::vector<std::uint32_t> completed;
    std::uint32_t advance;
  };
  const Case cases[] = {
      {"four columns", Bytes{ESC, 'K', 4, 0} + repeat(7, 4), false, first(4), {4}, 4},
      {"the widest image", Bytes{ESC, 'Z', 0x80, 7} + repeat(1, 1920), false, first(1920), {1920}, 1920},
      {"a count over the cap", Bytes{ESC, 'K', 0x58, 2} + repeat(1, 480), false, first(480), {480}, 480},
      {"an empty image", {ESC, 'L', 0, 0}, false, {}, {}, 0},
      {"two images", {ESC, 'Y', 2, 0, 1, 2, ESC, 'K', 1, 0, 3}, false, first(1, first(2)), {2, 1}, 3},
      {"cut off after three", {ESC, 'L', 10, 0, 1, 2, 3}, true, first(3), {3}, 10},
      {"cut off before a column", {ESC, 'K', 5, 0}, true, {}, {0}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Interpreters in;
    ImageLog page;
    for (std::uint8_t b : c.bytes) EXPECT_EQ(dot_matrix_byte(in, page, b), ByteResult::consumed());
    if (c.cut_off) give_up_command(in, page);
    EXPECT_EQ(page.columns, c.columns);
    EXPECT_EQ(page.completed, c.completed);
    EXPECT_EQ(page.page.cur_x, c.advance);
    EXPECT_EQ(dot_matrix_byte(in, page, 'A'), ByteResult::passed('A'));
  }
}

}  // namespace
}  // namespace morvane::testing
