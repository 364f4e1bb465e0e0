// Text output shared by the cairo surfaces.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/cairo/font_cache.h"
#include "gfx/surface.h"

namespace morvane {

// The bytes as Windows code page 1252 text (the character set of the fonts the
// program asks for), as UTF-8. NUL bytes are left out; undefined codes become
// U+FFFD.
std::string ansi_to_utf8(const char* text, std::size_t length);

void set_source_color(cairo_t* cr, Color color);

// Draws text with its cell's top-left corner at (x, y) in the context's user
// space, rotated about that point by the font's escapement (counter-clockwise
// on paper), with underline and strike-out when the font asks for them.
void show_text(cairo_t* cr, const RealisedFont& realised, const FontDesc& font, double x,
               double y, const char* text, std::size_t length, Color color);

}  // namespace morvane
