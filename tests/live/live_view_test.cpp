// The live window redraws only what changed: a sheet's damage must hold every
// pixel its drawing changed, and the view's damage every window pixel that
// then looks different, in both view modes. Tiles drawn one by one must join
// into exactly the picture of the whole view.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/damage_sheet.h"
#include "gfx/sheet_support.h"
#include "live/tile_render.h"
#include "view/view_damage.h"
#include "view/view_geometry.h"

namespace morvane {
namespace {

constexpr ViewMode kFit = ViewMode::fit_to_window;
constexpr ViewMode kOriginal = ViewMode::original_size;

using live::render_tile;

struct Pixels {
  int width = 0, height = 0, stride = 0;
  std::vector<unsigned char> data;
  std::uint32_t at(int x, int y) const {
    std::uint32_t p;
    std::memcpy(&p, data.data() + static_cast<std::size_t>(y) * stride + 4 * x, 4);
    return p & 0xFFFFFF;
  }
};

Pixels pixels_of(cairo_surface_t* s) {
  cairo_surface_flush(s);
  Pixels p;
  p.width = cairo_image_surface_get_width(s);
  p.height = cairo_image_surface_get_height(s);
  p.stride = cairo_image_surface_get_stride(s);
  const unsigned char* d = cairo_image_surface_get_data(s);
  p.data.assign(d, d + static_cast<std::size_t>(p.stride) * p.height);
  return p;
}

// The largest difference of one colour channel between two pictures.
int largest_difference(const Pixels& a, const Pixels& b) {
  int most = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a.at(x, y) >> shift) & 0xFF) - static_cast<int>((b.at(x, y) >> shift) & 0xFF);
        most = std::max(most, d < 0 ? -d : d);
      }
  return most;
}

// Pixels that differ between two pictures and lie outside `allowed`.
int changed_outside(const Pixels& a, const Pixels& b, std::int32_t l, std::int32_t t, std::int32_t r,
                    std::int32_t bottom) {
  int n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.at(x, y) != b.at(x, y) && (x < l || x >= r || y < t || y >= bottom)) ++n;
  return n;
}

Pixels render_view(CairoSheet& sheet, const SheetLayout& layout, int w, int h, int scale, int tile) {
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w * scale, h * scale);
  const TileGrid grid = tile_grid(w, h, tile);
  for (std::int32_t i = 0; i < grid.count(); ++i) {
    const ViewRect r = tile_rect(grid, i);
    cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, (r.right - r.left) * scale,
                                                       (r.bottom - r.top) * scale);
    render_tile(sheet.image(), layout, r, scale, part);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_surface(cr, part, r.left * scale, r.top * scale);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(part);
  }
  Pixels p = pixels_of(out);
  cairo_surface_destroy(out);
  return p;
}

// Drawing of every kind the emulations do, at random places and in random
// fonts, directions and styles; some of it reaches past the sheet's edges.
class RandomDrawing {
 public:
  RandomDrawing(int width, int height, unsigned seed) : w_(width), h_(height), rng_(seed) {}

  void once(Surface& s) {
    switch (pick(0, 5)) {
      case 0: s.fill_rect(x(), y(), x(), y(), color()); break;
      case 1:
        s.set_pen(color(), pick(0, 1) * pick(1, 6));
        s.move_to(x(), y());
        s.line_to(x(), y());
        break;
      case 2: {
        std::string text;
        for (int i = pick(1, 8); i > 0; --i) text += static_cast<char>(pick(0x21, 0x7E));
        s.draw_text(x(), y(), text.data(), text.size(), font(), color());
        break;
      }
      case 3: {
        CharCell cell;
        cell.advance = pick(4, 30);
        cell.line_height = pick(8, 40);
        cell.emphasized = pick(0, 1) != 0;
        cell.double_strike = pick(0, 1) != 0;
        cell.wide = pick(0, 3) == 0;
        s.print_char(x(), y(), static_cast<char>(pick(0x21, 0x7E)), font(0), color(), cell);
        break;
      }
      case 5: {
        // Pen strokes between units, as the plotter's pen face draws them.
        Strokes strokes;
        for (int line = pick(1, 3); line > 0; --line) {
          strokes.start_line();
          for (int n = pick(1, 5); n > 0; --n) strokes.add({x() + pick(0, 9) / 10.0, y() + pick(0, 9) / 10.0});
        }
        s.draw_strokes(strokes, color());
        break;
      }
      default: {
        std::vector<std::uint8_t> columns(static_cast<std::size_t>(pick(1, 60)));
        for (auto& c : columns) c = static_cast<std::uint8_t>(pick(0, 255));
        s.blit_columns(x(), y(), columns.data(), columns.size());
        break;
      }
    }
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  std::int32_t x() { return pick(-30, w_ + 30); }
  std::int32_t y() { return pick(-30, h_ + 30); }
  Color color() { return rgb(pick(0, 1) * 200, 0, pick(0, 1) * 200); }
  FontDesc font(int escapement = -1) {
    FontDesc f = test::courier(-pick(8, 48));
    static const int kAngles[] = {0, 900, 1800, 2700, 450, 3150};
    f.escapement = escapement >= 0 ? escapement : kAngles[pick(0, 5)];
    f.italic = static_cast<std::uint8_t>(pick(0, 3) == 0);
    f.underline = static_cast<std::uint8_t>(pick(0, 3) == 0);
    f.weight = pick(0, 1) ? 700 : 400;
    if (pick(0, 3) == 0) f.width = pick(4, 30);
    return f;
  }

  int w_, h_;
  std::mt19937 rng_;
};

TEST(LiveView, SheetDamageHoldsEveryChangedPixel) {
  for (const Face face : {Face::truetype, Face::dots}) {
    constexpr int kW = 320, kH = 240;
    auto owned = std::make_unique<CairoSheet>(kW, kH, face);
    CairoSheet& image = *owned;
    DamageSheet sheet(std::move(owned), kW, kH);
    RandomDrawing draw(kW, kH, face == Face::dots ? 7u : 3u);
    for (int i = 0; i < 400; ++i) {
      const Pixels before = pixels_of(image.image());
      draw.once(sheet);
      const SheetArea d = sheet.take_damage();
      const Pixels after = pixels_of(image.image());
      ASSERT_EQ(changed_outside(before, after, d.left, d.top, d.right, d.bottom), 0)
          << "drawing " << i << " with the " << (face == Face::dots ? "dot" : "TrueType") << " face";
    }
  }
}

TEST(LiveView, ViewDamageHoldsEveryWindowPixelThatChanged) {
  constexpr int kW = 850, kH = 1100;
  auto owned = std::make_unique<CairoSheet>(kW, kH);
  CairoSheet& image = *owned;
  DamageSheet sheet(std::move(owned), kW, kH);
  struct View {
    ViewMode mode;
    int w, h;
    std::uint32_t sx, sy;
  };
  const View views[] = {{kFit, 600, 432, 0, 0}, {kFit, 333, 1000, 0, 0}, {kOriginal, 600, 432, 0, 0},
                        {kOriginal, 500, 400, 311, 677}};
  RandomDrawing draw(kW, kH, 11u);
  std::vector<Pixels> shown;
  for (const View& v : views) {
    const SheetLayout l = layout_sheet(view_copy(v.mode, v.w, v.h, kW, kH, v.sx, v.sy), v.w, v.h, kW, kH);
    shown.push_back(render_view(image, l, v.w, v.h, 1, 4096));
  }
  for (int round = 0; round < 25; ++round) {
    for (int i = 0; i < 4; ++i) draw.once(sheet);
    const SheetArea d = sheet.take_damage();
    for (std::size_t k = 0; k < std::size(views); ++k) {
      const View& v = views[k];
      const SheetLayout l = layout_sheet(view_copy(v.mode, v.w, v.h, kW, kH, v.sx, v.sy), v.w, v.h, kW, kH);
      const Pixels now = render_view(image, l, v.w, v.h, 1, 4096);
      const ViewRect r = view_damage(d, l);
      ASSERT_EQ(changed_outside(shown[k], now, r.left, r.top, r.right, r.bottom), 0)
          << "round " << round << ", view " << k;
      shown[k] = now;
    }
  }
}

TEST(LiveView, TilesJoinIntoTheWholeView) {
  constexpr int kW = 850, kH = 1100;
  CairoSheet image(kW, kH);
  RandomDrawing draw(kW, kH, 5u);
  for (int i = 0; i < 300; ++i) draw.once(image);
  struct View {
    ViewMode mode;
    int w, h;
    std::uint32_t sx, sy;
  };
  for (const View v : {View{kFit, 600, 432, 0, 0}, View{kFit, 1000, 333, 0, 0}, View{kOriginal, 600, 432, 0, 0},
                       View{kOriginal, 640, 500, 400, 900}, View{kFit, 2000, 2400, 0, 0}}) {
    const SheetLayout l = layout_sheet(view_copy(v.mode, v.w, v.h, kW, kH, v.sx, v.sy), v.w, v.h, kW, kH);
    for (const int scale : {1, 2}) {
      const Pixels whole = render_view(image, l, v.w, v.h, scale, 1 << 14);
      for (const int tile : {128, 37}) {
        const Pixels tiled = render_view(image, l, v.w, v.h, scale, tile);
        EXPECT_EQ(largest_difference(whole, tiled), 0)
            << "mode " << static_cast<int>(v.mode) << " " << v.w << "x" << v.h << ", scale " << scale << ", tiles of " << tile;
      }
    }
  }
}

}  // namespace
}  // namespace morvane
