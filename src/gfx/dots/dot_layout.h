// Where the print head puts its dots: a character or a run of bit-image dots
// as dot centres in page units from the top-left corner of its cell. Text
// dots are scaled into the cell the layout gives, so the layout itself never
// changes; bit-image dots keep their one page unit apart.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/surface.h"

namespace morvane {

// How text and bit images are drawn: in a TrueType font and as squares, or as
// the round dots of the print head.
enum class Face { truetype, dots };

struct Dot {
  double x = 0;
  double y = 0;
};

struct DotPattern {
  std::vector<Dot> dots;
  double diameter = 0;  // every dot alike: the head's pin
};

// The grid of a character's cell. The cell is 12 half steps wide (the 11
// columns of a glyph and a gap) and the line 12 pin pitches high, as a line
// of 1/6 inch is on the printer. Superscripts and subscripts have their 7
// rows at half the pitch, so that the same grid sits high in a raised cell
// and low in a lowered one.
struct DotGrid {
  double step = 0;   // half a step across
  double pitch = 0;  // from one pin's row to the next
  double left = 0;   // the centre of column 0 right of the cell's left edge
  double top = 0;    // the centre of row 0 below the cell's top
  double x(int column) const { return left + column * step; }
  double y(int row) const { return top + row * pitch; }
};

DotGrid char_grid(const CharCell& cell);

// The dots of one character in its styles: double width and expanded stretch
// the grid and print every dot twice, as the head does, so that strokes stay
// whole; emphasized repeats every dot half a step to the right, double strike
// a third of a dot lower; underline is a row of dots on the lowest pin (below
// a superscript's or subscript's 7 rows).
// Printable ASCII only; any other byte has no dots.
DotPattern char_dots(unsigned char ch, const CharCell& cell, bool underline);

// A run of `length` bit-image dots side by side in one row, the first in the
// page unit at the origin.
DotPattern image_run(std::int32_t length);

// The dots of one bit-image column byte, bit 7 on top, in the page unit
// column at the origin.
DotPattern image_column(std::uint8_t column);

}  // namespace morvane
