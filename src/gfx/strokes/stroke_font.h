// The stroke face: the plotter's characters as pen strokes, from the Hershey
// simplex face (public-domain data made for plotters). The glyph table is
// stroke_glyphs.cpp, made by tools/hershey-strokes.py. Standard C++ only:
// the core lays labels out with it, the surfaces only draw the strokes.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace morvane::strokes {

// Font units: x to the right of the character's centre line, y up from the
// baseline. Capitals stand kCapHeight tall and are about kCapWidth wide;
// descenders reach kDescent below the baseline.
inline constexpr int kCapHeight = 21;
inline constexpr int kCapWidth = 14;
inline constexpr int kDescent = 7;
inline constexpr std::int8_t kPenUp = -128;

extern const std::int8_t kGlyphPoints[][2];
extern const std::uint16_t kGlyphStart[];
extern const std::int8_t kGlyphBounds[][2];

// Where a character's font units go on the page: the page point of font
// point (fx, fy) is origin + fx * across + fy * up.
struct GlyphFrame {
  PenPoint origin;  // the centre line on the baseline
  PenPoint across;  // one font unit along the text
  PenPoint up;      // one font unit up the character
};

// Adds the character's strokes. Blanks and bytes outside 0x21..0x7E add none.
void add_glyph(Strokes& out, unsigned char ch, const GlyphFrame& frame);

}  // namespace morvane::strokes
