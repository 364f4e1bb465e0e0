#include "gfx/cairo/cairo_pdf_surface.h"

#include <algorithm>
#include <cmath>

#include "gfx/cairo/pen_strokes.h"
#include "gfx/cairo/text.h"

namespace morvane {
namespace {

constexpr int kChunkColumns = 4096;  // widest image made for one bit-image strip
constexpr double kInset = 0.01;
// A run is shown once it holds this many glyphs: a few pages' worth of
// characters, so memory stays small whatever the stream draws.
constexpr std::size_t kMaxRunGlyphs = 8192;

// Calls place(k, n) for every run of n set bits (at most kMaxRun) from
// column k in row r.
template <class Place>
void for_each_run(const std::uint8_t* columns, std::size_t count, int r, Place place) {
  const unsigned bit = 0x80u >> r;
  std::size_t k = 0;
  while (k < count) {
    if ((columns[k] & bit) == 0) {
      ++k;
      continue;
    }
    std::size_t n = 1;
    while (k + n < count && n < DotForms::kMaxRun && (columns[k + n] & bit) != 0) ++n;
    place(k, n);
    k += n;
  }
}

}  // namespace

CairoPdfSurface::~CairoPdfSurface() { end(); }

void CairoPdfSurface::begin(cairo_surface_t* target) {
  end();
  cr_ = cairo_create(target);
  cairo_scale(cr_, kPointsPerUnit, kPointsPerUnit);
}

void CairoPdfSurface::end() {
  flush_text();
  // The run's font was made for this context's transformation and target.
  drop_run_font();
  if (cr_ != nullptr) cairo_destroy(cr_);
  cr_ = nullptr;
}

void CairoPdfSurface::fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1,
                                std::int32_t y1, Color color) {
  if (cr_ == nullptr || x1 <= x0 || y1 <= y0) return;
  flush_text();
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
    flush_text();
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
  const RealisedFont& realised = fonts_.get(font);
  if (add_to_run(x, y, text, length, font, realised, color)) return;
  flush_text();
  show_text(cr_, realised, font, x, y, text, length, color);
}

void CairoPdfSurface::draw_strokes(const Strokes& strokes, Color color) {
  if (cr_ == nullptr || strokes.empty()) return;
  flush_text();
  stroke_pen_path(cr_, strokes, color);
}

bool CairoPdfSurface::add_to_run(std::int32_t x, std::int32_t y, const char* text,
                                 std::size_t length, const FontDesc& font,
                                 const RealisedFont& realised, Color color) {
  // Turned text keeps its own transformation per call.
  if (realised.face == nullptr || font.escapement % 3600 != 0) return false;
  const std::string utf8 = ansi_to_utf8(text, length);
  if (utf8.empty()) return true;
  if (run_.scaled == nullptr || !(run_.font == font)) {
    if (!start_run(font, realised)) return false;
  } else if (run_.color != color || run_.glyphs.size() >= kMaxRunGlyphs) {
    flush_text();
  }
  run_.color = color;

  // At most one glyph per byte, so the conversion fills the run's own room.
  const std::size_t at = run_.glyphs.size();
  run_.glyphs.resize(at + utf8.size());
  cairo_glyph_t* room = run_.glyphs.data() + at;
  cairo_glyph_t* glyphs = room;
  int count = static_cast<int>(utf8.size());
  const double origin_x = x;
  const double baseline = static_cast<double>(y) + realised.ascent;
  const cairo_status_t status = cairo_scaled_font_text_to_glyphs(
      run_.scaled, origin_x, baseline, utf8.data(), static_cast<int>(utf8.size()), &glyphs,
      &count, nullptr, nullptr, nullptr);
  if (status != CAIRO_STATUS_SUCCESS || count <= 0) {
    run_.glyphs.resize(at);
    return true;
  }
  if (glyphs != room) {
    std::copy(glyphs, glyphs + count, room);
    cairo_glyph_free(glyphs);
  }
  run_.glyphs.resize(at + static_cast<std::size_t>(count));
  // A label's glyphs go where the sheet puts them; a single character is
  // where the engine put it already.
  double end = 0;
  if (count > 1) {
    end = space_glyphs(realised, room, static_cast<std::size_t>(count), origin_x, baseline);
  } else if (font.underline != 0 || font.strike_out != 0) {
    cairo_text_extents_t last{};
    cairo_scaled_font_glyph_extents(run_.scaled, room, 1, &last);
    end = room->x + last.x_advance;
  }
  if (font.underline == 0 && font.strike_out == 0) return true;

  // The lines reach where the text's pen ends.
  double left = origin_x;
  double width = end - origin_x;
  if (width < 0) {
    left += width;
    width = -width;
  }
  if (font.underline != 0) {
    run_.lines.push_back({left, static_cast<double>(y) + realised.underline_top, width,
                          static_cast<double>(realised.underline_size)});
  }
  if (font.strike_out != 0) {
    run_.lines.push_back({left, static_cast<double>(y) + realised.strike_top, width,
                          static_cast<double>(realised.strike_size)});
  }
  return true;
}

bool CairoPdfSurface::start_run(const FontDesc& font, const RealisedFont& realised) {
  flush_text();
  drop_run_font();
  // The scaled font the context itself would pick for show_text.
  cairo_save(cr_);
  cairo_set_font_face(cr_, realised.face);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, realised.em * realised.x_scale, realised.em);
  cairo_set_font_matrix(cr_, &m);
  cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr_);
  const bool ok = cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS;
  if (ok) run_.scaled = cairo_scaled_font_reference(scaled);
  cairo_restore(cr_);
  run_.font = font;
  return ok;
}

void CairoPdfSurface::flush_text() {
  if (cr_ != nullptr && run_.scaled != nullptr && !run_.glyphs.empty()) {
    cairo_save(cr_);
    set_source_color(cr_, run_.color);
    cairo_set_scaled_font(cr_, run_.scaled);
    cairo_show_glyphs(cr_, run_.glyphs.data(), static_cast<int>(run_.glyphs.size()));
    if (!run_.lines.empty()) {
      cairo_new_path(cr_);
      cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
      for (const cairo_rectangle_t& r : run_.lines) {
        cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
      }
      cairo_fill(cr_);
    }
    cairo_restore(cr_);
  }
  run_.glyphs.clear();
  run_.lines.clear();
}

void CairoPdfSurface::drop_run_font() {
  if (run_.scaled != nullptr) cairo_scaled_font_destroy(run_.scaled);
  run_.scaled = nullptr;
}

TextMetrics CairoPdfSurface::text_metrics(const FontDesc& font) {
  return fonts_.get(font).metrics;
}

void CairoPdfSurface::print_char(std::int32_t x, std::int32_t y, char ch, const FontDesc& font,
                                 Color color, const CharCell& cell) {
  if (face_ != Face::dots) {
    Surface::print_char(x, y, ch, font, color, cell);
    return;
  }
  if (cr_ == nullptr) return;
  cairo_surface_t* form =
      dots_.character(static_cast<unsigned char>(ch), cell, font.underline != 0, color);
  if (form == nullptr) return;
  flush_text();
  place(cr_, form, x, y);
}

void CairoPdfSurface::place(cairo_t* cr, cairo_surface_t* form, double x, double y) {
  cairo_set_source_surface(cr, form, x, y);
  cairo_paint(cr);
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
  flush_text();
  if (face_ == Face::dots) {
    blit_dots(x, y, columns, count);
    return;
  }
  for (std::size_t done = 0; done < count; done += kChunkColumns) {
    const int n = static_cast<int>(std::min<std::size_t>(kChunkColumns, count - done));
    blit_chunk(static_cast<double>(x) + static_cast<double>(done), y, columns + done, n);
  }
}

// White where the strip falls, as for the squares; then the dots, as placed
// runs along the rows or as placed columns, whichever takes fewer: all rims,
// kept to the strip so that none lies on the cores of an image beside it,
// then all cores. The strip is one form of its own: a page of single dots
// costs the PDF surface time that grows with the square of their number.
void CairoPdfSurface::blit_dots(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                                std::size_t count) {
  set_source_color(cr_, rgb(255, 255, 255));
  cairo_rectangle(cr_, x, y, static_cast<double>(count), 8);
  cairo_fill(cr_);
  cairo_rectangle_t extents{static_cast<double>(x) - 1, static_cast<double>(y) - 1,
                            static_cast<double>(count) + 2, 10};
  cairo_surface_t* strip = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  cairo_t* cr = cairo_create(strip);
  const bool by_rows = placed_runs(columns, count) <= placed_columns(columns, count);
  for (const DotPart part : {DotPart::rim, DotPart::core}) {
    cairo_save(cr);
    if (part == DotPart::rim) {
      cairo_rectangle(cr, x, y, static_cast<double>(count), 8);
      cairo_clip(cr);
    }
    if (by_rows) {
      place_runs(cr, x, y, columns, count, part);
    } else {
      place_columns(cr, x, y, columns, count, part);
    }
    cairo_restore(cr);
  }
  cairo_destroy(cr);
  place(cr_, strip, 0, 0);
  cairo_surface_destroy(strip);
}

std::size_t CairoPdfSurface::placed_runs(const std::uint8_t* columns, std::size_t count) {
  std::size_t runs = 0;
  for (int r = 0; r < 8; ++r) {
    for_each_run(columns, count, r, [&](std::size_t, std::size_t) { ++runs; });
  }
  return runs;
}

std::size_t CairoPdfSurface::placed_columns(const std::uint8_t* columns, std::size_t count) {
  return count - static_cast<std::size_t>(std::count(columns, columns + count, 0));
}

void CairoPdfSurface::place_runs(cairo_t* cr, std::int32_t x, std::int32_t y,
                                 const std::uint8_t* columns, std::size_t count, DotPart part) {
  for (int r = 0; r < 8; ++r) {
    for_each_run(columns, count, r, [&](std::size_t k, std::size_t n) {
      place(cr, dots_.run(static_cast<std::int32_t>(n), part),
            static_cast<double>(x) + static_cast<double>(k), static_cast<double>(y) + r);
    });
  }
}

void CairoPdfSurface::place_columns(cairo_t* cr, std::int32_t x, std::int32_t y,
                                    const std::uint8_t* columns, std::size_t count,
                                    DotPart part) {
  for (std::size_t k = 0; k < count; ++k) {
    if (columns[k] == 0) continue;
    place(cr, dots_.column(columns[k], part), static_cast<double>(x) + static_cast<double>(k), y);
  }
}

}  // namespace morvane
