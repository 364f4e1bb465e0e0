// Dots as ink on paper: every dot of a pattern a filled round dot in the ink
// colour, its edge a little soft as ink on paper is. The same drawing serves
// the sheet (as coverage masks) and the PDF (as vector forms).
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>

#include "gfx/cairo/glyph_cache.h"
#include "gfx/dots/dot_layout.h"
#include "gfx/surface.h"

namespace morvane {

// One dot centred at (x, y) of the context's user space: the light rim, then
// the solid core. A rim falling on another dot's ink leaves it as dark.
void paint_dot(cairo_t* cr, double x, double y, double diameter, Color color);

// The pattern's dots in order, its origin at (x, y).
void paint_dots(cairo_t* cr, const DotPattern& pattern, double x, double y, Color color);

// Where the ink of the pattern may reach, from its origin.
struct InkBox {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};
InkBox ink_box(const DotPattern& pattern);

// The pattern's coverage, anchored at its origin placed on a whole pixel of
// a sheet of one pixel per page unit. False when it is too large to keep
// (wider or higher than GlyphCache::kMaxSide): such a pattern is painted.
bool render_dot_mask(const DotPattern& pattern, GlyphMask& out);

// What makes a character's dots: the byte, its cell and styles, the colour.
struct DotKey {
  std::int32_t advance = 0;
  std::int32_t line_height = 0;
  Color color = 0;
  std::uint8_t ch = 0;
  std::uint8_t styles = 0;  // emphasized, double strike, script, underline, wide
  friend bool operator==(const DotKey&, const DotKey&) = default;
};

DotKey dot_key(unsigned char ch, const CharCell& cell, bool underline, Color color);

struct DotKeyHash {
  std::size_t operator()(const DotKey& k) const;
};

}  // namespace morvane
