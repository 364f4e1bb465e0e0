// The feed loop on a real sheet (cairo here, GDI in the Windows build): text
// where the layout puts it, a frame in the margin colour, and a clean sheet
// after the page ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/engine_fixture.h"
#ifdef _WIN32
#include "gfx/gdi/gdi_surface.h"
#else
#include "gfx/cairo/cairo_sheet.h"
#endif

namespace morvane {
namespace {

#ifdef _WIN32
using Sheet = GdiSurface;
std::unique_ptr<Sheet> make_sheet(std::uint32_t w, std::uint32_t h) {
  return GdiSurface::create_sheet(nullptr, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
}
Color pixel_of(Sheet& s, int x, int y) { return GetPixel(s.dc(), x, y); }
#else
using Sheet = CairoSheet;
std::unique_ptr<Sheet> make_sheet(std::uint32_t w, std::uint32_t h) {
  return std::make_unique<CairoSheet>(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
}
Color pixel_of(Sheet& s, int x, int y) { return s.pixel(x, y); }
#endif

bool dark(Color c) { return red_of(c) < 128 && green_of(c) < 128 && blue_of(c) < 128; }

int dark_pixels(Sheet& s, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += dark(pixel_of(s, x, y)) ? 1 : 0;
  return n;
}

struct SheetPixels : ::testing::Test {
  SheetPixels() {
    // The printer measures with the same fonts as the sheet.
    f.printers.set_metrics_model([this](const FontDesc& font) { return probe.text_metrics(font); });
    f.shell.factory = [](std::uint32_t w, std::uint32_t h) -> std::unique_ptr<Surface> {
      return make_sheet(w, h);
    };
  }
  Sheet& sheet() { return static_cast<Sheet&>(*f.engine.page_bitmap); }

  std::unique_ptr<Sheet> probe_sheet = make_sheet(1, 1);
  Sheet& probe = *probe_sheet;
  test::EngineFixture f;
};

TEST_F(SheetPixels, HelloWorldOnTwoLinesInsideTheFrame) {
  f.feed("HELLO\r\nWORLD");
  const PageState& s = f.engine.screen;
  const int lh = static_cast<int>(s.line_height);
  const int cw = static_cast<int>(s.char_width);
  std::printf("Courier New -24: line_height %d, char_width %d (screen), %u (printer), ave %d\n", lh, cw,
              f.engine.printer.char_width, s.font.width);
  ASSERT_GT(lh, 20);
  ASSERT_GT(cw, 10);

#ifndef _WIN32
  const auto png = std::filesystem::temp_directory_path() / "morvane-hello-world.png";
  ASSERT_TRUE(sheet().save_png(png.string()));
  EXPECT_GT(std::filesystem::file_size(png), 100u);
  std::filesystem::remove(png);
#endif

  EXPECT_EQ(pixel_of(sheet(), 25, 500), 0xC6C3C6u);   // left edge of the frame
  EXPECT_EQ(pixel_of(sheet(), 825, 500), 0xC6C3C6u);  // right edge
  EXPECT_EQ(pixel_of(sheet(), 400, 25), 0xC6C3C6u);   // top edge
  EXPECT_EQ(pixel_of(sheet(), 10, 10), 0xFFFFFFu);    // outside the frame

  // Each line's ink lies in its own band, from the left margin on.
  const int first = dark_pixels(sheet(), 25, 25, 25 + 5 * cw, 25 + lh);
  const int second = dark_pixels(sheet(), 25, 25 + lh, 25 + 5 * cw, 25 + 2 * lh);
  EXPECT_GT(first, 50);
  EXPECT_GT(second, 50);
  EXPECT_EQ(dark_pixels(sheet(), 25 + 5 * cw + 2, 26, 800, 25 + 2 * lh), 0);
  EXPECT_EQ(dark_pixels(sheet(), 26, 25 + 2 * lh + 2, 800, 200), 0);
  // The first glyph starts at the margin, not before it.
  EXPECT_EQ(dark_pixels(sheet(), 0, 0, 24, 200), 0);
  EXPECT_GT(dark_pixels(sheet(), 25, 25, 25 + cw, 25 + lh), 10);

  f.feed("\f");
  EXPECT_EQ(dark_pixels(sheet(), 26, 26, 824, 1074), 0);
  EXPECT_EQ(pixel_of(sheet(), 25, 500), 0xC6C3C6u);
}

}  // namespace
}  // namespace morvane
