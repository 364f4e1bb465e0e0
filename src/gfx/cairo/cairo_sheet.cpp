#include "gfx/cairo/cairo_sheet.h"

#include <algorithm>

#include "gfx/cairo/raster.h"
#include "gfx/cairo/text.h"

namespace morvane {
namespace {

constexpr std::int32_t kMaxSide = 32767;  // cairo's image limit

// COLORREF 0x00BBGGRR to cairo's RGB24 pixel 0x00RRGGBB, and back.
std::uint32_t to_pixel(Color c) { return (red_of(c) << 16) | (green_of(c) << 8) | blue_of(c); }
Color from_pixel(std::uint32_t p) { return rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

std::int32_t clamp_to(std::int64_t v, std::int32_t lo, std::int32_t hi) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, lo, hi));
}

}  // namespace

CairoSheet::CairoSheet(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  surface_ = s;
  width_ = width;
  height_ = height;
  fill_rect(0, 0, width, height, rgb(255, 255, 255));
}

CairoSheet::~CairoSheet() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

cairo_t* CairoSheet::context() {
  // A context that fell into an error state draws nothing more; start afresh.
  if (cr_ != nullptr && cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
  if (cr_ == nullptr) cr_ = cairo_create(surface_);
  return cr_;
}

std::uint32_t* CairoSheet::row(std::int32_t y) {
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  return reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
}

void CairoSheet::begin_direct() { cairo_surface_flush(surface_); }
void CairoSheet::end_direct() { cairo_surface_mark_dirty(surface_); }

Color CairoSheet::pixel(std::int32_t x, std::int32_t y) {
  if (surface_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return kOutside;
  begin_direct();
  return from_pixel(row(y)[x] & 0xFFFFFF);
}

bool CairoSheet::save_png(const std::string& path) {
  if (surface_ == nullptr) return false;
  cairo_surface_flush(surface_);
  return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* CairoSheet::image() {
  if (surface_ != nullptr) cairo_surface_flush(surface_);
  return surface_;
}

void CairoSheet::fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                           Color color) {
  if (surface_ == nullptr) return;
  const std::int32_t left = clamp_to(x0, 0, width_);
  const std::int32_t right = clamp_to(x1, 0, width_);
  const std::int32_t top = clamp_to(y0, 0, height_);
  const std::int32_t bottom = clamp_to(y1, 0, height_);
  if (left >= right || top >= bottom) return;
  const std::uint32_t p = to_pixel(color);
  begin_direct();
  for (std::int32_t y = top; y < bottom; ++y) std::fill(row(y) + left, row(y) + right, p);
  end_direct();
}

void CairoSheet::set_pen(Color color, std::int32_t dash) {
  pen_color_ = color;
  pen_dash_ = dash;
}

void CairoSheet::move_to(std::int32_t x, std::int32_t y) {
  cur_x_ = x;
  cur_y_ = y;
}

void CairoSheet::line_to(std::int32_t x, std::int32_t y) {
  if (surface_ != nullptr) {
    const std::uint32_t p = to_pixel(pen_color_);
    begin_direct();
    raster_line(cur_x_, cur_y_, x, y, pen_dash_, width_, height_,
                [&](std::int32_t px, std::int32_t py) { row(py)[px] = p; });
    end_direct();
  }
  cur_x_ = x;
  cur_y_ = y;
}

void CairoSheet::draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                           const FontDesc& font, Color color) {
  if (surface_ == nullptr) return;
  show_text(context(), fonts_.get(font), font, x, y, text, length, color);
}

TextMetrics CairoSheet::text_metrics(const FontDesc& font) { return fonts_.get(font).metrics; }

void CairoSheet::blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                              std::size_t count) {
  if (surface_ == nullptr || columns == nullptr) return;
  const std::uint32_t black = to_pixel(rgb(0, 0, 0));
  const std::uint32_t white = to_pixel(rgb(255, 255, 255));
  // Only the columns that fall on the sheet are visited.
  const std::int64_t first = std::max<std::int64_t>(0, -std::int64_t{x});
  const std::int64_t last =
      std::min<std::int64_t>(static_cast<std::int64_t>(count), std::int64_t{width_} - x);
  begin_direct();
  for (int r = 0; r < 8; ++r) {
    const std::int64_t py = std::int64_t{y} + r;
    if (py < 0 || py >= height_) continue;
    std::uint32_t* line = row(static_cast<std::int32_t>(py));
    const unsigned bit = 0x80u >> r;
    for (std::int64_t k = first; k < last; ++k) {
      line[x + k] = (columns[k] & bit) != 0 ? black : white;
    }
  }
  end_direct();
}

}  // namespace morvane
