#include "live/tile_render.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "view/view_colors.h"

namespace morvane::live {

namespace {

// kViewGrey as an opaque cairo pixel (0xAARRGGBB).
constexpr std::uint32_t kBackgroundPixel =
    0xFF000000u | (red_of(kViewGrey) << 16) | (green_of(kViewGrey) << 8) | blue_of(kViewGrey);

// The sheet pixels [first, last) that display pixel `u` of a copy `dst`
// display pixels long shows of `src` sheet pixels from `start`: those under
// it when the sheet is shrunk, one pixel repeated when it is enlarged.
// Integer arithmetic, so that a tile shows exactly what the whole view shows
// there; empty off the sheet.
struct Span {
  std::int32_t first = 0, last = 0;
};

Span span_of(std::int64_t u, std::int32_t start, std::int32_t src, std::int64_t dst, std::int32_t sheet_extent) {
  if (u < 0 || u >= dst) return {};
  const std::int64_t a = start + u * src / dst;
  const std::int64_t b = std::max(start + (u + 1) * src / dst, a + 1);
  const auto first = static_cast<std::int32_t>(std::clamp<std::int64_t>(a, 0, sheet_extent));
  const auto last = static_cast<std::int32_t>(std::clamp<std::int64_t>(b, 0, sheet_extent));
  return {first, last};
}

// The average of the sheet's pixels in one box, as an opaque cairo pixel.
class BoxSum {
 public:
  void add(std::uint32_t p) {
    r_ += (p >> 16) & 0xFF;
    g_ += (p >> 8) & 0xFF;
    b_ += p & 0xFF;
    ++n_;
  }
  std::uint32_t average() const {
    const std::uint32_t h = n_ / 2;
    return 0xFF000000u | ((r_ + h) / n_) << 16 | ((g_ + h) / n_) << 8 | ((b_ + h) / n_);
  }

 private:
  std::uint32_t r_ = 0, g_ = 0, b_ = 0, n_ = 0;
};

}  // namespace

void render_tile(cairo_surface_t* sheet, const SheetLayout& layout, const ViewRect& tile,
                 int scale, cairo_surface_t* target) {
  const ViewCopy& c = layout.copy;
  const bool copy = sheet != nullptr && !layout.copy_empty && c.src_w > 0 && c.src_h > 0 &&
                    cairo_image_surface_get_format(sheet) == CAIRO_FORMAT_RGB24;
  if (copy) cairo_surface_flush(sheet);
  cairo_surface_flush(target);
  auto* out = cairo_image_surface_get_data(target);
  const int out_stride = cairo_image_surface_get_stride(target);
  const int w = cairo_image_surface_get_width(target), h = cairo_image_surface_get_height(target);
  const auto* in = copy ? cairo_image_surface_get_data(sheet) : nullptr;
  const int in_stride = copy ? cairo_image_surface_get_stride(sheet) : 0;
  const int sheet_w = copy ? cairo_image_surface_get_width(sheet) : 0;
  const int sheet_h = copy ? cairo_image_surface_get_height(sheet) : 0;
  // Display pixels: the view's window pixels times the scale.
  const std::int64_t x0 = std::int64_t{tile.left} * scale - std::int64_t{c.dst_x} * scale;
  const std::int64_t y0 = std::int64_t{tile.top} * scale - std::int64_t{c.dst_y} * scale;
  const std::int64_t dw = std::int64_t{c.dst_w} * scale, dh = std::int64_t{c.dst_h} * scale;
  std::vector<Span> columns(static_cast<std::size_t>(std::max(w, 0)));
  for (int i = 0; copy && i < w; ++i) columns[static_cast<std::size_t>(i)] = span_of(x0 + i, c.src_x, c.src_w, dw, sheet_w);
  for (int j = 0; j < h; ++j) {
    auto* row = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(j) * out_stride);
    const Span rows = copy ? span_of(y0 + j, c.src_y, c.src_h, dh, sheet_h) : Span{};
    for (int i = 0; i < w; ++i) {
      const Span& cols = columns[static_cast<std::size_t>(i)];
      if (rows.first >= rows.last || cols.first >= cols.last) {
        row[i] = kBackgroundPixel;
        continue;
      }
      if (rows.last - rows.first == 1 && cols.last - cols.first == 1) {
        // One to one or enlarged; the sheet's pad byte means nothing.
        const auto* line = reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(rows.first) * in_stride);
        row[i] = line[cols.first] | 0xFF000000u;
        continue;
      }
      // A shrunk sheet is averaged, so that thin text stays readable.
      BoxSum box;
      for (std::int32_t sy = rows.first; sy < rows.last; ++sy) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(sy) * in_stride);
        for (std::int32_t sx = cols.first; sx < cols.last; ++sx) box.add(line[sx]);
      }
      row[i] = box.average();
    }
  }
  cairo_surface_mark_dirty(target);
}

}  // namespace morvane::live
