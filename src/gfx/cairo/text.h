// Text output shared by the cairo surfaces.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/cairo/font_cache.h"
#include "gfx/surface.h"

namespace morvane {

// The bytes as Windows code page 1252 text (the character set of the fonts the
// program asks for), as UTF-8. NUL bytes are left out; undefined codes become
// U+FFFD.
std::string ansi_to_utf8(const char* text, std::size_t length);

void set_source_color(cairo_t* cr, Color color);

// A run of text laid out in its own frame: the cell's top-left corner at the
// origin, x along the text, the baseline at the font's ascent. Each glyph
// advances by its own advance rounded to whole page units, as a character
// does on the page's grid, so a run is as long on the sheet as on paper.
struct PlacedRun {
  std::vector<cairo_glyph_t> glyphs;
  double advance = 0;  // where the run's pen ends
};
PlacedRun place_run(const RealisedFont& realised, const std::string& utf8);

// Puts glyphs one after the other from (x, baseline) so, and answers where
// the run's pen ends along x.
double space_glyphs(const RealisedFont& realised, cairo_glyph_t* glyphs, std::size_t count,
                    double x, double baseline);

// Draws text with its cell's top-left corner at (x, y) in the context's user
// space, rotated about that point by the font's escapement (counter-clockwise
// on paper), with underline and strike-out when the font asks for them.
void show_text(cairo_t* cr, const RealisedFont& realised, const FontDesc& font, double x,
               double y, const char* text, std::size_t length, Color color);

}  // namespace morvane
