// Dots as ink on paper: every dot of a pattern a filled round dot in the ink
// colour, its solid core inside a thin, lighter rim, as ink spreads a little
// into the paper. The same geometry serves the sheet (as coverage masks) and
// the PDF (as vector forms).
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>

#include "gfx/cairo/glyph_cache.h"
#include "gfx/dots/dot_layout.h"
#include "gfx/surface.h"

namespace morvane {

enum class DotPart { rim, core };

double dot_radius(double diameter, DotPart part);

// The rim's colour on white paper: opaque, so that a PDF needs no
// transparency (which viewers render poorly at small sizes).
Color rim_color(Color ink);

// Fills that part of every dot of the pattern, its origin at (x, y), with
// the context's source; overlapping dots are filled once.
void fill_dots(cairo_t* cr, const DotPattern& pattern, double x, double y, DotPart part);

// The pattern as coverage: the rims at part strength, then the cores in
// full. A rim falling on another dot leaves its ink as dark.
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
