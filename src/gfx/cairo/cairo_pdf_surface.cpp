#include "gfx/cairo/cairo_pdf_surface.h"

#include <algorithm>
#include <cmath>

#include "gfx/cairo/text.h"

namespace morvane {
namespace {

constexpr int kChunkColumns = 4096;  // widest image made for one bit-image strip
constexpr double kInset = 0.01;

}  // namespace

CairoPdfSurface::~CairoPdfSurface() { end(); }

void CairoPdfSurface::begin(cairo_surface_t* target) {
  end();
  cr_ = cairo_create(target);
  cairo_scale(cr_, kPointsPerUnit, kPointsPerUnit);
}

void CairoPdfSurface::end() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  cr_ = nullptr;
}

void CairoPdfSurface::fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1,
                                std::int32_t y1, Color color) {
  if (cr_ == nullptr || x1 <= x0 || y1 <= y0) return;
  set_source_color(cr_, color);
  cairo_rectangle(cr_, x0, y0, static_cast<double>(x1) - x0, static_cast<double>(y1) - y0);
  cairo_fill(cr_);
}

void CairoPdfSurface::set_pen(Color color, std::int32_t dash) {
  pen_color_ = color;
  pen_dash_ = dash;
}

void CairoPdfSurface::move_to(std::int32_t x, std::int32_t y) {
  cur_x_ = x;
  cur_y_ = y;
}

void CairoPdfSurface::line_to(std::int32_t x, std::int32_t y) {
  const double dx = static_cast<double>(x) - cur_x_;
  const double dy = static_cast<double>(y) - cur_y_;
  const double len = std::hypot(dx, dy);
  if (cr_ != nullptr && len > 0) {
    // Through the pixel centres, moved back half a unit along the line, so
    // that the stroke covers the start point's unit and stops before the end
    // point's, as LineTo does.
    const double ux = dx / len / 2;
    const double uy = dy / len / 2;
    cairo_new_path(cr_);
    cairo_move_to(cr_, cur_x_ + 0.5 - ux, cur_y_ + 0.5 - uy);
    cairo_line_to(cr_, x + 0.5 - ux, y + 0.5 - uy);
    cairo_set_line_width(cr_, 1);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    if (pen_dash_ > 0) {
      const double d = pen_dash_;
      const double pattern[2] = {d, d};
      cairo_set_dash(cr_, pattern, 2, 0);
    } else {
      cairo_set_dash(cr_, nullptr, 0, 0);
    }
    set_source_color(cr_, pen_color_);
    cairo_stroke(cr_);
  }
  cur_x_ = x;
  cur_y_ = y;
}

void CairoPdfSurface::draw_text(std::int32_t x, std::int32_t y, const char* text,
                                std::size_t length, const FontDesc& font, Color color) {
  if (cr_ == nullptr) return;
  show_text(cr_, fonts_.get(font), font, x, y, text, length, color);
}

TextMetrics CairoPdfSurface::text_metrics(const FontDesc& font) {
  return fonts_.get(font).metrics;
}

void CairoPdfSurface::blit_chunk(double x, double y, const std::uint8_t* columns, int count) {
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, count, 8);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return;
  }
  unsigned char* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int r = 0; r < 8; ++r) {
    auto* line = reinterpret_cast<std::uint32_t*>(data + r * stride);
    for (int k = 0; k < count; ++k) line[k] = (columns[k] & (0x80u >> r)) != 0 ? 0 : 0xFFFFFF;
  }
  cairo_surface_mark_dirty(img);
  cairo_save(cr_);
  // Inset by a hundredth of a dot on every side: renderers that round image
  // edges outwards would otherwise stretch the strip over one more pixel
  // whenever 72/100 scaling leaves an edge a hair past a pixel boundary.
  cairo_translate(cr_, x + kInset, y + kInset);
  cairo_scale(cr_, (count - 2 * kInset) / count, (8 - 2 * kInset) / 8);
  cairo_set_source_surface(cr_, img, 0, 0);
  // Every dot stays a sharp square at any printer resolution.
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr_, 0, 0, count, 8);
  cairo_fill(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(img);
}

void CairoPdfSurface::blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                                   std::size_t count) {
  if (cr_ == nullptr || columns == nullptr) return;
  for (std::size_t done = 0; done < count; done += kChunkColumns) {
    const int n = static_cast<int>(std::min<std::size_t>(kChunkColumns, count - done));
    blit_chunk(static_cast<double>(x) + static_cast<double>(done), y, columns + done, n);
  }
}

}  // namespace morvane
