#include "gfx/cairo/text.h"

#include <cmath>

namespace morvane {
namespace {

// Code points of 0x80..0x9F in code page 1252; 0 where the code is undefined.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr double kPi = 3.14159265358979323846;

}  // namespace

std::string ansi_to_utf8(const char* text, std::size_t length) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0) continue;
    char32_t cp = b;
    if (b >= 0x80 && b < 0xA0) cp = kCp1252High[b - 0x80] != 0 ? kCp1252High[b - 0x80] : 0xFFFD;
    append_utf8(out, cp);
  }
  return out;
}

void set_source_color(cairo_t* cr, Color color) {
  cairo_set_source_rgb(cr, red_of(color) / 255.0, green_of(color) / 255.0,
                       blue_of(color) / 255.0);
}

PlacedRun place_run(const RealisedFont& realised, const std::string& utf8) {
  PlacedRun run;
  cairo_scaled_font_t* layout = realised.layout.get();
  if (layout == nullptr || utf8.empty()) return run;
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(layout, 0, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       &glyphs, &count, nullptr, nullptr, nullptr) !=
      CAIRO_STATUS_SUCCESS) {
    return run;
  }
  run.glyphs.assign(glyphs, glyphs + count);
  cairo_glyph_free(glyphs);
  run.advance = space_glyphs(realised, run.glyphs.data(), run.glyphs.size(), 0, realised.ascent);
  return run;
}

double space_glyphs(const RealisedFont& realised, cairo_glyph_t* glyphs, std::size_t count,
                    double x, double baseline) {
  cairo_scaled_font_t* layout = realised.layout.get();
  double pen = x;
  for (std::size_t i = 0; i < count; ++i) {
    cairo_text_extents_t e{};
    if (layout != nullptr) cairo_scaled_font_glyph_extents(layout, &glyphs[i], 1, &e);
    glyphs[i].x = pen;
    glyphs[i].y = baseline;
    pen += std::round(e.x_advance);
  }
  return pen;
}

void show_text(cairo_t* cr, const RealisedFont& realised, const FontDesc& font, double x,
               double y, const char* text, std::size_t length, Color color) {
  if (realised.face == nullptr) return;
  const PlacedRun run = place_run(realised, ansi_to_utf8(text, length));
  if (run.glyphs.empty()) return;
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (font.escapement % 3600 != 0) cairo_rotate(cr, -font.escapement * kPi / 1800.0);
  set_source_color(cr, color);
  cairo_set_font_face(cr, realised.face);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, realised.em * realised.x_scale, realised.em);
  cairo_set_font_matrix(cr, &m);
  cairo_show_glyphs(cr, run.glyphs.data(), static_cast<int>(run.glyphs.size()));
  if (font.underline != 0 || font.strike_out != 0) {
    cairo_new_path(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (font.underline != 0) {
      cairo_rectangle(cr, 0, realised.underline_top, run.advance, realised.underline_size);
    }
    if (font.strike_out != 0) {
      cairo_rectangle(cr, 0, realised.strike_top, run.advance, realised.strike_size);
    }
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

}  // namespace morvane
