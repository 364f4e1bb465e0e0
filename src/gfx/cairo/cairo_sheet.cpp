#include "gfx/cairo/cairo_sheet.h"

#include <algorithm>
#include <cstring>

#include "gfx/cairo/dot_ink.h"
#include "gfx/cairo/pen_strokes.h"
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

CairoSheet::CairoSheet(std::int32_t width, std::int32_t height, Face face) : face_(face) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  surface_ = s;
  pixels_ = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s));
  pitch_ = cairo_image_surface_get_stride(s) / 4;
  width_ = width;
  height_ = height;
  ink_ = InkRows(height);
  fill_rect(0, 0, width, height, rgb(255, 255, 255));
}

CairoSheet::~CairoSheet() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

cairo_t* CairoSheet::context() {
  before_cairo();
  // A context that fell into an error state draws nothing more; start afresh.
  if (cr_ != nullptr && cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
  if (cr_ == nullptr) cr_ = cairo_create(surface_);
  cairo_unflushed_ = true;  // the caller draws with it, anywhere
  ink_.mark_all();
  return cr_;
}

void CairoSheet::begin_direct() {
  if (!cairo_unflushed_) return;
  cairo_surface_flush(surface_);
  cairo_unflushed_ = false;
}

void CairoSheet::before_cairo() {
  begin_direct();
  if (!direct_unmarked_) return;
  cairo_surface_mark_dirty(surface_);
  direct_unmarked_ = false;
}

Color CairoSheet::pixel(std::int32_t x, std::int32_t y) {
  if (surface_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return kOutside;
  begin_direct();
  return from_pixel(row(y)[x] & 0xFFFFFF);
}

bool CairoSheet::save_png(const std::string& path) {
  if (surface_ == nullptr) return false;
  before_cairo();
  return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* CairoSheet::image() {
  if (surface_ != nullptr) before_cairo();
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
  if (p == 0xFFFFFF && left == 0 && right == width_) {
    // White over whole rows, as at every page end: only what was drawn
    // there. The pad byte of an RGB24 pixel means nothing, so 0xFF will do.
    ink_.take(top, bottom, width_, [this](std::int32_t y, std::int32_t x0, std::int32_t x1) {
      std::memset(row(y) + x0, 0xFF, static_cast<std::size_t>(x1 - x0) * 4);
    });
  } else {
    for (std::int32_t y = top; y < bottom; ++y) {
      std::uint32_t* line = row(y);
      std::fill(line + left, line + right, p);
      ink_.mark_span(y, left, right);
    }
  }
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
                [&](std::int32_t px, std::int32_t py) {
                  row(py)[px] = p;
                  ink_.mark_pixel(py, px);
                });
    end_direct();
  }
  cur_x_ = x;
  cur_y_ = y;
}

void CairoSheet::draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                           const FontDesc& font, Color color) {
  if (surface_ == nullptr) return;
  // Rotated text and runs (whose later characters may fall between pixels)
  // are left to cairo.
  if (length == 1 && text != nullptr && font.escapement % 3600 == 0) {
    const auto byte = static_cast<unsigned char>(text[0]);
    if (const GlyphMask* mask = glyphs_.get(font, byte, fonts_)) {
      blend_mask(x, y, *mask, color);
      return;
    }
  }
  show_text(context(), fonts_.get(font), font, x, y, text, length, color);
}

void CairoSheet::draw_strokes(const Strokes& strokes, Color color) {
  if (surface_ == nullptr || strokes.empty()) return;
  stroke_pen_path(context(), strokes, color);
}

void CairoSheet::blend_mask(std::int32_t x, std::int32_t y, const GlyphMask& mask, Color color) {
  const std::int64_t x0 = std::int64_t{x} + mask.left;
  const std::int64_t y0 = std::int64_t{y} + mask.top;
  // Only the part of the mask on the sheet is visited.
  const std::int64_t c0 = std::max<std::int64_t>(0, -x0);
  const std::int64_t c1 = std::min<std::int64_t>(mask.width, std::int64_t{width_} - x0);
  const std::int64_t r0 = std::max<std::int64_t>(0, -y0);
  const std::int64_t r1 = std::min<std::int64_t>(mask.height, std::int64_t{height_} - y0);
  if (c0 >= c1 || r0 >= r1) return;
  const std::uint32_t p = to_pixel(color);
  const std::uint32_t* on_white = on_white_.table(p);
  begin_direct();
  std::uint32_t* line = row(static_cast<std::int32_t>(y0 + r0));
  const std::uint8_t* alpha = mask.alpha.data() + r0 * mask.width;
  // The next character usually follows on the right: its pixels are fetched
  // while this one is drawn.
  const bool ahead = x0 + c1 + 24 <= width_;
  for (std::int64_t r = r0; r < r1; ++r, line += pitch_, alpha += mask.width) {
    const auto k = static_cast<std::size_t>(2 * r);
    const std::int64_t b = std::max<std::int64_t>(c0, mask.inked[k]);
    const std::int64_t e = std::min<std::int64_t>(c1, mask.inked[k + 1]);
    if (b >= e) continue;
    std::uint32_t* out = line + (x0 + b);
    const std::uint8_t* a = alpha + b;
    const std::int64_t n = e - b;
    if (ink_.claim_span(static_cast<std::int32_t>(y0 + r), static_cast<std::int32_t>(x0 + b),
                        static_cast<std::int32_t>(x0 + e))) {
      // Blank paper, as for nearly every character: no need to read it.
      for (std::int64_t i = 0; i < n; ++i) out[i] = on_white[a[i]];
    } else {
      for (std::int64_t i = 0; i < n; ++i) {
        const std::uint32_t d = out[i];
        out[i] = (d & 0xFFFFFF) == 0xFFFFFF ? on_white[a[i]] : blend_pixel(p, a[i], d);
      }
    }
    if (ahead) {
      __builtin_prefetch(line + x0 + c1 + 4, 1);
      __builtin_prefetch(line + x0 + c1 + 20, 1);
    }
  }
  end_direct();
}

TextMetrics CairoSheet::text_metrics(const FontDesc& font) { return fonts_.get(font).metrics; }

void CairoSheet::print_char(std::int32_t x, std::int32_t y, char ch, const FontDesc& font,
                            Color color, const CharCell& cell) {
  if (face_ != Face::dots) {
    Surface::print_char(x, y, ch, font, color, cell);
    return;
  }
  if (surface_ == nullptr) return;
  const auto byte = static_cast<unsigned char>(ch);
  const bool underline = font.underline != 0;
  if (const GlyphMask* mask = dots_.character(byte, cell, underline)) {
    blend_mask(x, y, *mask, color);
  } else {
    paint_dots(context(), char_dots(byte, cell, underline), x, y, color);
  }
}

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
    if (first < last) {
      ink_.mark_span(static_cast<std::int32_t>(py), static_cast<std::int32_t>(x + first),
                     static_cast<std::int32_t>(x + last));
    }
    // With the dot face the strip is made white here and its dots follow.
    const unsigned bit = face_ == Face::dots ? 0 : 0x80u >> r;
    for (std::int64_t k = first; k < last; ++k) {
      line[x + k] = (columns[k] & bit) != 0 ? black : white;
    }
  }
  end_direct();
  if (face_ == Face::dots) blit_dots(x, y, columns, first, last);
}

// Over the white strip: each column's dots, which reach a little into their
// neighbours, as the pins' ink does.
void CairoSheet::blit_dots(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                           std::int64_t first, std::int64_t last) {
  for (std::int64_t k = first; k < last; ++k) {
    if (columns[k] == 0) continue;
    blend_mask(static_cast<std::int32_t>(x + k), y, dots_.column(columns[k]), rgb(0, 0, 0));
  }
}

}  // namespace morvane
