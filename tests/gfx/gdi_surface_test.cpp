// GdiSurface pixel tests. Each drawing check runs on the screen sheet and on
// the printer flavour; the latter draws into a memory DC whose mapping turns
// y upwards 1:1 (like MM_LOENGLISH, without the scale), so its pixels can be
// compared with the sheet's exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gfx/gdi/gdi_surface.h"

namespace morvane {
namespace {

constexpr int kW = 200;
constexpr int kH = 120;
constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kBlack = rgb(0, 0, 0);

// A y-up device of kW x kH pixels standing in for a printer.
struct YUpDevice {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  YUpDevice() {
    HDC screen = GetDC(nullptr);
    bitmap = CreateCompatibleBitmap(screen, kW, kH);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 1, -1, nullptr);
    PatBlt(dc, 0, 0, kW, -kH, WHITENESS);
  }
  ~YUpDevice() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

class Flavour : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      device_ = std::make_unique<YUpDevice>();
      surface_ = GdiSurface::on_printer(device_->dc);
    } else {
      surface_ = GdiSurface::create_sheet(nullptr, kW, kH);
    }
    ASSERT_NE(surface_, nullptr);
  }
  // The pixel at page position (x, y), read in device space.
  Color pixel(int x, int y) {
    HDC dc = surface_->dc();
    POINT p{x, GetParam() ? -y : y};
    LPtoDP(dc, &p, 1);
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    Color c = GetPixel(dc, p.x, p.y) & 0xFFFFFF;
    RestoreDC(dc, saved);
    return c;
  }
  // Bounding box of everything not white: {x0, y0, x1, y1}, x1/y1 exclusive.
  RECT ink() {
    RECT box{kW, kH, 0, 0};
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (pixel(x, y) == kWhite) continue;
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    return box;
  }
  std::unique_ptr<YUpDevice> device_;
  std::unique_ptr<GdiSurface> surface_;
};

FontDesc courier(int height) {
  FontDesc f;
  f.height = height;
  f.weight = 400;
  f.quality = 2;
  f.pitch_and_family = 0x12;
  f.set_face("Courier New");
  return f;
}

TEST_P(Flavour, FillCoversHalfOpenRectangle) {
  surface_->fill_rect(10, 10, 20, 15, rgb(255, 0, 0));
  EXPECT_EQ(pixel(10, 10), rgb(255, 0, 0));
  EXPECT_EQ(pixel(19, 14), rgb(255, 0, 0));
  EXPECT_EQ(pixel(20, 10), kWhite);
  EXPECT_EQ(pixel(10, 15), kWhite);
  EXPECT_EQ(pixel(9, 10), kWhite);
  EXPECT_EQ(pixel(10, 9), kWhite);
  surface_->fill_rect(30, 30, 30, 40, kBlack);  // empty: draws nothing
  surface_->fill_rect(40, 40, 35, 45, kBlack);  // inverted: draws nothing
  EXPECT_EQ(pixel(30, 30), kWhite);
  EXPECT_EQ(pixel(37, 42), kWhite);
}

TEST_P(Flavour, SolidLinesLeaveOutTheirEndPoint) {
  surface_->set_pen(rgb(0, 0, 0x84), 0);
  surface_->move_to(10, 20);
  surface_->line_to(30, 20);  // horizontal
  surface_->line_to(30, 50);  // then down the page
  for (int x = 10; x < 30; ++x) EXPECT_EQ(pixel(x, 20), rgb(0, 0, 0x84)) << x;
  for (int y = 20; y < 50; ++y) EXPECT_EQ(pixel(30, y), rgb(0, 0, 0x84)) << y;
  EXPECT_EQ(pixel(9, 20), kWhite);
  EXPECT_EQ(pixel(30, 50), kWhite);
  EXPECT_EQ(pixel(20, 19), kWhite);
  EXPECT_EQ(pixel(20, 21), kWhite);
}

TEST_P(Flavour, BitImageDotsAreExactAndOpaque) {
  surface_->fill_rect(40, 30, 70, 50, kBlack);
  const std::uint8_t columns[] = {128, 1, 255, 0, 0x5A};
  surface_->blit_columns(50, 35, columns, sizeof columns);
  for (int k = 0; k < 5; ++k) {
    for (int r = 0; r < 8; ++r) {
      bool dot = (columns[k] >> (7 - r)) & 1;
      EXPECT_EQ(pixel(50 + k, 35 + r), dot ? kBlack : kWhite) << "column " << k << " row " << r;
    }
  }
  // Nothing beyond the strip is touched.
  EXPECT_EQ(pixel(55, 35), kBlack);
  EXPECT_EQ(pixel(49, 35), kBlack);
  EXPECT_EQ(pixel(53, 34), kBlack);
  EXPECT_EQ(pixel(53, 43), kBlack);
}

TEST_P(Flavour, WideBitImageKeepsEveryColumn) {
  std::vector<std::uint8_t> columns(150);
  for (std::size_t k = 0; k < columns.size(); ++k) columns[k] = (k % 3 == 0) ? 0x80 : 0x01;
  surface_->blit_columns(20, 100, columns.data(), columns.size());
  for (int k = 0; k < 150; ++k) {
    EXPECT_EQ(pixel(20 + k, 100), k % 3 == 0 ? kBlack : kWhite) << k;
    EXPECT_EQ(pixel(20 + k, 107), k % 3 == 0 ? kWhite : kBlack) << k;
  }
  surface_->blit_columns(0, 0, columns.data(), 0);  // nothing, no fault
  surface_->blit_columns(0, 0, nullptr, 5);
  EXPECT_EQ(pixel(0, 0), kWhite);
}

TEST_P(Flavour, CharacterLandsInItsCell) {
  FontDesc font = courier(-24);
  TextMetrics tm = surface_->text_metrics(font);
  ASSERT_GT(tm.height, 0);
  surface_->draw_text(40, 30, "M", 1, font, kBlack);
  RECT box = ink();
  ASSERT_LT(box.left, box.right) << "nothing drawn";
  EXPECT_GE(box.left, 40);
  EXPECT_LE(box.right, 40 + tm.max_char_width);
  EXPECT_GE(box.top, 30);
  EXPECT_LE(box.bottom, 30 + tm.height);
  // The glyph fills a fair part of the cell, so it is not drawn elsewhere.
  EXPECT_GE(box.bottom - box.top, tm.height / 3);
}

TEST_P(Flavour, TextIsTransparent) {
  surface_->fill_rect(0, 0, kW, kH, rgb(0, 255, 0));
  surface_->draw_text(10, 10, "i", 1, courier(-24), kBlack);
  EXPECT_EQ(pixel(10, 10), rgb(0, 255, 0));
}

TEST_P(Flavour, DashedPenAlternatesDashAndGap) {
  for (int dash : {1, 3, 5}) {
    surface_->fill_rect(0, 0, kW, kH, kWhite);
    surface_->set_pen(kBlack, dash);
    surface_->move_to(10, 40);
    surface_->line_to(10 + 12 * dash, 40);
    for (int i = 0; i < 12 * dash; ++i) {
      bool on = (i / dash) % 2 == 0;
      EXPECT_EQ(pixel(10 + i, 40), on ? kBlack : kWhite) << "dash " << dash << " at " << i;
    }
  }
}

// A dashed line that reaches far beyond the sheet is drawn where it
// crosses it, and only there (a piece for every dash of its whole length
// would take minutes).
TEST_P(Flavour, FarReachingDashedLineIsDrawnWhereItCrossesTheSheet) {
  surface_->set_pen(kBlack, 2);
  surface_->move_to(-1000000000, -1000000000);
  surface_->line_to(1000000000, 1000000000);
  int inked = 0;
  for (int i = 0; i < kH; ++i) inked += pixel(i, i) != kWhite ? 1 : 0;
  EXPECT_GT(inked, kH / 4);
  EXPECT_LT(inked, kH * 3 / 4);
}

// The page's columns are char_width apart: whatever face the device has or
// lacks, the font made for the page is fixed-pitch and its widest character
// is the width every character advances.
TEST_P(Flavour, PageFontIsFixedPitchAndSpacedByItsAdvance) {
  for (const char* face : {"Courier New", "No Such Face Mono", ""}) {
    SCOPED_TRACE(face);
    FontDesc font = courier(-24);
    font.set_face(face);
    const TextMetrics tm = surface_->text_metrics(font);
    HDC dc = surface_->dc();
    HGDIOBJ previous = SelectObject(dc, surface_->font_handle());
    TEXTMETRICA raw{};
    GetTextMetricsA(dc, &raw);
    SIZE narrow{}, wide{};
    GetTextExtentPoint32A(dc, "iiiiiiiiii", 10, &narrow);
    GetTextExtentPoint32A(dc, "MMMMMMMMMM", 10, &wide);
    SelectObject(dc, previous);
    EXPECT_EQ(raw.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "a proportional face";
    EXPECT_EQ(narrow.cx, wide.cx);
    EXPECT_EQ(wide.cx, 10 * tm.max_char_width);
  }
}

// A label turns counter-clockwise on the page by its escapement on both
// flavours: the run goes that way from its anchor and the cell's top edge
// lies on the anchor's side.
TEST_P(Flavour, TurnedTextRunsAsItsEscapementSays) {
  struct Case {
    std::int32_t escapement;
    int along_x, along_y;  // the direction of the run on the page (y down)
  };
  const Case cases[] = {{0, 1, 0}, {900, 0, -1}, {1800, -1, 0}, {2700, 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.escapement);
    surface_->fill_rect(0, 0, kW, kH, kWhite);
    FontDesc font = courier(-16);
    font.escapement = c.escapement;
    surface_->draw_text(kW / 2, kH / 2, "MMMM", 4, font, kBlack);
    long sum_x = 0, sum_y = 0, n = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (pixel(x, y) == kWhite) continue;
        sum_x += x - kW / 2;
        sum_y += y - kH / 2;
        ++n;
      }
    }
    ASSERT_GT(n, 20);
    const double cx = static_cast<double>(sum_x) / n;
    const double cy = static_cast<double>(sum_y) / n;
    // Along the run the ink reaches far; across it, to the cell's side: the
    // side that is "down" for the text, a quarter turn clockwise from it.
    const double along = cx * c.along_x + cy * c.along_y;
    const double down = cx * -c.along_y + cy * c.along_x;
    EXPECT_GT(along, 10) << "ink centre " << cx << "," << cy;
    EXPECT_GT(down, 2) << "ink centre " << cx << "," << cy;
  }
}

// Pen strokes: round-ended polylines between whole units, end points drawn.
TEST_P(Flavour, StrokesAreDrawnWithARoundPen) {
  Strokes s;
  s.start_line();
  s.add({20.2, 30});
  s.add({60, 30});
  s.add({60, 70.4});
  s.start_line();
  s.add({100, 50});
  surface_->draw_strokes(s, rgb(0, 0x80, 0));
  for (int x = 20; x <= 60; x += 10) EXPECT_NE(pixel(x, 30), kWhite) << x;
  for (int y = 30; y <= 70; y += 10) EXPECT_NE(pixel(60, y), kWhite) << y;
  EXPECT_NE(pixel(100, 50), kWhite);  // a dot
  EXPECT_EQ(pixel(40, 40), kWhite);
  EXPECT_EQ(pixel(15, 30), kWhite);
  EXPECT_EQ(pixel(60, 76), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Gdi, Flavour, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Printer" : "Sheet"; });

class Sheet : public ::testing::Test {
 protected:
  std::unique_ptr<GdiSurface> sheet_ = GdiSurface::create_sheet(nullptr, kW, kH);
  Color pixel(int x, int y) { return GetPixel(sheet_->dc(), x, y) & 0xFFFFFF; }
};

TEST_F(Sheet, NewSheetIsWhiteAndExposesItsBitmap) {
  ASSERT_NE(sheet_, nullptr);
  EXPECT_NE(sheet_->bitmap(), nullptr);
  EXPECT_EQ(GetCurrentObject(sheet_->dc(), OBJ_BITMAP), sheet_->bitmap());
  BITMAP bm{};
  GetObjectA(sheet_->bitmap(), sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, kW);
  EXPECT_EQ(bm.bmHeight, kH);
  EXPECT_EQ(pixel(0, 0), kWhite);
  EXPECT_EQ(pixel(kW - 1, kH - 1), kWhite);
}

TEST_F(Sheet, ImpossibleSizesGiveNoSheet) {
  EXPECT_EQ(GdiSurface::create_sheet(nullptr, 0, 10), nullptr);
  EXPECT_EQ(GdiSurface::create_sheet(nullptr, 10, -1), nullptr);
}

TEST_F(Sheet, FontIsMadeOnlyWhenTheDescriptionChanges) {
  FontDesc font = courier(-24);
  sheet_->draw_text(10, 10, "A", 1, font, kBlack);
  HFONT first = sheet_->font_handle();
  ASSERT_NE(first, nullptr);
  sheet_->draw_text(30, 10, "B", 1, font, kBlack);
  sheet_->text_metrics(font);
  EXPECT_EQ(sheet_->font_handle(), first);
  font.weight = 700;
  sheet_->draw_text(50, 10, "C", 1, font, kBlack);
  EXPECT_NE(sheet_->font_handle(), first);
  EXPECT_EQ(GetObjectType(sheet_->font_handle()), static_cast<DWORD>(OBJ_FONT));
  // The font is not left selected: the DC holds its own again.
  EXPECT_NE(GetCurrentObject(sheet_->dc(), OBJ_FONT), sheet_->font_handle());
}

TEST_F(Sheet, EscapementTurnsTheText) {
  FontDesc font = courier(-20);
  font.escapement = 900;  // upwards
  sheet_->draw_text(40, 100, "MMMM", 4, font, kBlack);
  RECT up{kW, kH, 0, 0};
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (pixel(x, y) != kWhite) {
        up.left = std::min<LONG>(up.left, x);
        up.top = std::min<LONG>(up.top, y);
        up.right = std::max<LONG>(up.right, x + 1);
        up.bottom = std::max<LONG>(up.bottom, y + 1);
      }
  ASSERT_LT(up.left, up.right);
  EXPECT_LE(up.bottom, 100 + 1);  // runs up from its anchor
  EXPECT_GT(up.bottom - up.top, 2 * (up.right - up.left));
  EXPECT_GE(up.left, 40);  // the cell's top is on the left of the run
}

// A y-up device of several pixels per unit, as a printer is.
struct FinePrinter {
  static constexpr int kScale = 3;
  static constexpr int kWidth = 700;
  static constexpr int kHeight = 60;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  FinePrinter() {
    HDC screen = GetDC(nullptr);
    bitmap = CreateCompatibleBitmap(screen, kWidth * kScale, kHeight * kScale);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, kWidth * kScale, kHeight * kScale, WHITENESS);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, kScale, -kScale, nullptr);
  }
  ~FinePrinter() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  bool inked(double x, double y) {
    SetMapMode(dc, MM_TEXT);
    const bool dark = (GetPixel(dc, static_cast<int>(x * kScale), static_cast<int>(y * kScale)) &
                       0xFFFFFF) != 0xFFFFFF;
    SetMapMode(dc, MM_ANISOTROPIC);
    return dark;
  }
  // The right edge of the ink, in page units.
  double ink_right() {
    SetMapMode(dc, MM_TEXT);
    int right = -1;
    for (int y = 0; y < kHeight * kScale; ++y)
      for (int x = 0; x < kWidth * kScale; ++x)
        if ((GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF) right = std::max(right, x);
    return (right + 1) / static_cast<double>(kScale);
  }
};

// A long label ends at the same place on the sheet and on a finer printer:
// both move on by the face's advances in whole page units, not by what
// each device rounds in its own pixels.
TEST(GdiRuns, LongLabelEndsAlikeOnSheetAndFinerPrinter) {
  const std::string label(48, 'M');
  for (int height : {-12, -16, -24}) {
    SCOPED_TRACE(height);
    std::unique_ptr<GdiSurface> sheet = GdiSurface::create_sheet(nullptr, 700, 60);
    FinePrinter device;
    std::unique_ptr<GdiSurface> paper = GdiSurface::on_printer(device.dc);
    sheet->draw_text(5, 10, label.data(), label.size(), courier(height), kBlack);
    paper->draw_text(5, 10, label.data(), label.size(), courier(height), kBlack);
    int right = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 700; ++x)
        if ((GetPixel(sheet->dc(), x, y) & 0xFFFFFF) != 0xFFFFFF) right = std::max(right, x);
    EXPECT_NEAR(right + 1, device.ink_right(), 1.5);
  }
}

// Dashes along (x0, y0)-(x1, y1), sampled every tenth of a unit through the
// units' centres, a little to either side of the line too.
template <class Inked>
int dashes_along(Inked inked, double x0, double y0, double x1, double y1) {
  const double length = std::hypot(x1 - x0, y1 - y0);
  const double ux = (x1 - x0) / length, uy = (y1 - y0) / length;
  int dashes = 0, clear = 8;
  for (double t = 0; t < length - 3; t += 0.1) {
    bool on = false;
    for (double s : {0.0, -0.45, 0.45}) on = on || inked(x0 + 0.5 + ux * t - uy * s, y0 + 0.5 + uy * t + ux * s);
    if (on && clear >= 8) ++dashes;
    clear = on ? 0 : clear + 1;
  }
  return dashes;
}

// A slanted dashed line has as many dashes on the sheet as on a finer
// printer: both measure them along the line in page units.
TEST(GdiRuns, SlantedDashesAlikeOnSheetAndFinerPrinter) {
  struct Case { int x1, y1, dash; };
  for (const Case& c : {Case{55, 55, 3}, Case{400, 50, 4}, Case{250, 30, 2}}) {
    SCOPED_TRACE(c.x1 * 1000 + c.dash);
    std::unique_ptr<GdiSurface> sheet = GdiSurface::create_sheet(nullptr, 700, 60);
    FinePrinter device;
    std::unique_ptr<GdiSurface> paper = GdiSurface::on_printer(device.dc);
    for (GdiSurface* s : {sheet.get(), paper.get()}) {
      s->set_pen(kBlack, c.dash);
      s->move_to(5, 2);
      s->line_to(c.x1, c.y1);
    }
    const int on_sheet = dashes_along(
        [&](double x, double y) {
          return (GetPixel(sheet->dc(), static_cast<int>(x), static_cast<int>(y)) & 0xFFFFFF) != 0xFFFFFF;
        },
        5, 2, c.x1, c.y1);
    const int on_paper = dashes_along([&](double x, double y) { return device.inked(x, y); }, 5, 2, c.x1, c.y1);
    const double length = std::hypot(c.x1 - 5.0, c.y1 - 2.0);
    EXPECT_NEAR(on_sheet, length / (2 * c.dash), 1.5);
    EXPECT_NEAR(on_paper, length / (2 * c.dash), 1.5);
  }
}

TEST_F(Sheet, CourierNewMetrics) {
  TextMetrics tm = sheet_->text_metrics(courier(-24));
  // Recorded for the report; Wine substitutes a face for Courier New.
  std::printf("Courier New -24: height %d, external leading %d, average %d, maximum %d\n",
              tm.height, tm.external_leading, tm.ave_char_width, tm.max_char_width);
  EXPECT_GE(tm.height, 24);
  EXPECT_GT(tm.ave_char_width, 0);
  EXPECT_GE(tm.max_char_width, tm.ave_char_width);
  FontDesc wide = courier(-24);
  wide.width = 2 * tm.ave_char_width;
  EXPECT_GT(sheet_->text_metrics(wide).ave_char_width, tm.ave_char_width);
}

}  // namespace
}  // namespace morvane
