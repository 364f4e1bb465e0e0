#include "gfx/dots/dot_layout.h"

#include <algorithm>

#include "gfx/dots/dot_font.h"

namespace morvane {
namespace {

constexpr double kHalfStepsPerCell = 12;
constexpr double kPitchesPerLine = 12;
// The first row's centre below the top of the cell, in pitches: room for the
// upper half of a dot and a little air, as above a printed capital.
constexpr double kNormalTop = 1.5;
constexpr double kScriptTop = 2.0;  // in the script's half pitches
// The underline's pin row: the lowest pin, or the one below a script glyph.
constexpr int kUnderlineRow = 8;
constexpr int kScriptUnderlineRow = kScriptRows;
// A bit-image dot is a little wider than its page unit, so that a filled area
// prints as solid ink with the texture of round dots.
constexpr double kImageDot = 1.2;
// Cells beyond this (1000 inches) draw as if they had this size; nothing real
// comes near, and the numbers stay far from any rounding trouble.
constexpr std::int32_t kMaxCell = 100000;

double bounded(std::int32_t v) { return std::clamp(v, 0, kMaxCell); }

// Where a glyph's dot lands again besides itself.
struct Repeats {
  double wide = 0;         // double width: every dot twice, a stretched half step apart
  double emphasized = 0;   // half a step to the right
  double strike = 0;       // a third of a dot lower
};

Repeats repeats_of(const CharCell& cell, const DotGrid& g, double diameter) {
  Repeats r;
  // The stretched grid's half step is a whole step of the head: the
  // emphasized dot keeps to the head's half step.
  if (cell.wide) r.wide = g.step;
  if (cell.emphasized) r.emphasized = cell.wide ? g.step / 2 : g.step;
  if (cell.double_strike) r.strike = diameter / 3;
  return r;
}

void add(DotPattern& p, double x, double y, const Repeats& r) {
  for (int strike = 0; strike < (r.strike > 0 ? 2 : 1); ++strike) {
    const double yy = y + strike * r.strike;
    for (int wide = 0; wide < (r.wide > 0 ? 2 : 1); ++wide) {
      const double xx = x + wide * r.wide;
      p.dots.push_back({xx, yy});
      if (r.emphasized > 0) p.dots.push_back({xx + r.emphasized, yy});
    }
  }
}

void add_row(DotPattern& p, const DotGrid& g, int row, std::uint16_t pins, const Repeats& r) {
  for (int c = 0; c < kGlyphColumns; ++c) {
    if ((pins >> c) & 1u) add(p, g.x(c), g.y(row), r);
  }
}

}  // namespace

DotGrid char_grid(const CharCell& cell) {
  DotGrid g;
  g.step = bounded(cell.advance) / kHalfStepsPerCell;
  // The glyph's middle column in the cell's middle; a double-width glyph
  // half a (stretched) step further left, so that its second dots keep to
  // the middle too.
  g.left = cell.wide ? g.step / 2 : g.step;
  const double pin = bounded(cell.line_height) / kPitchesPerLine;
  g.pitch = cell.script ? pin / 2 : pin;
  g.top = (cell.script ? kScriptTop : kNormalTop) * g.pitch;
  return g;
}

DotPattern char_dots(unsigned char ch, const CharCell& cell, bool underline) {
  DotPattern p;
  if (ch < 0x20 || ch > 0x7E) return p;
  const DotGrid g = char_grid(cell);
  p.diameter = bounded(cell.line_height) / kPitchesPerLine;
  const Repeats again = repeats_of(cell, g, p.diameter);
  int underline_row = kUnderlineRow;
  if (cell.script) {
    const ScriptRows rows = script_rows(ch);
    for (int r = 0; r < kScriptRows; ++r) add_row(p, g, r, rows[r], again);
    underline_row = kScriptUnderlineRow;
  } else {
    const DraftRows rows = draft_rows(ch);
    for (int r = 0; r < kGlyphRows; ++r) add_row(p, g, r, rows[r], again);
  }
  // Every other half step, so that the row runs on evenly into the next cell.
  if (underline) add_row(p, g, underline_row, 0b10101010101, again);
  return p;
}

DotPattern image_run(std::int32_t length) {
  DotPattern p;
  p.diameter = kImageDot;
  for (std::int32_t k = 0; k < length; ++k) p.dots.push_back({k + 0.5, 0.5});
  return p;
}

DotPattern image_column(std::uint8_t column) {
  DotPattern p;
  p.diameter = kImageDot;
  for (int r = 0; r < 8; ++r) {
    if (column & (0x80u >> r)) p.dots.push_back({0.5, r + 0.5});
  }
  return p;
}

}  // namespace morvane
