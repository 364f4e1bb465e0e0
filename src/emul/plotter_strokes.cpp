// The plotter's characters drawn with its pen in the stroke face: labels at
// the device's sizes and pitch, the pen moving on after each; text-mode
// characters inside the cells the page's font gives them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "emul/emulation.h"
#include "emul/plotter_internal.h"
#include "gfx/strokes/stroke_font.h"

namespace morvane {

namespace {

constexpr double kUnitsPerStep = 800.0 / 960.0;
constexpr std::int32_t kLargestSize = 15;

// The device's character at size factor k (size + 1), in steps: 4k wide and
// 6k tall, 6k from one character to the next, standing on the pen's line in
// the middle of its pitch (the widest glyphs then stay clear of their
// neighbours, and a label stays on its side of the pen's position).
constexpr std::int64_t kPitchSteps = 6;
constexpr double kWidthSteps = 4;
constexpr double kHeightSteps = 6;

// A direction of the text and of the characters' tops, in page units (y down).
struct Axes {
  PenPoint along;
  PenPoint up;
};

// One of the four directions, counter-clockwise on paper: 0 right, 1 up,
// 2 left, 3 down (text_angle 0, 900, 1800, 2700).
int quadrant(std::int32_t tenths) {
  const std::int64_t a = ((std::int64_t{tenths} % 3600) + 3600) % 3600;
  return static_cast<int>(((a + 450) / 900) % 4);
}

Axes axes_of(int q) {
  switch (q) {
    case 1: return {{0, -1}, {-1, 0}};
    case 2: return {{-1, 0}, {0, 1}};
    case 3: return {{0, 1}, {1, 0}};
    default: return {{1, 0}, {0, -1}};
  }
}

// A character whose centre line meets the baseline at `at`, `across` and `up`
// page units per font unit.
strokes::GlyphFrame frame(PenPoint at, const Axes& a, double across, double up) {
  return {at, {a.along.x * across, a.along.y * across}, {a.up.x * up, a.up.y * up}};
}

PenPoint moved(PenPoint p, PenPoint dir, double by) { return {p.x + dir.x * by, p.y + dir.y * by}; }

// The label's strokes, from the pen's page point on.
Strokes label_strokes(const PageState& page, const char* text, std::size_t length, std::int64_t k,
                      const Axes& axes) {
  const PlotterPen& p = page.plotter;
  const PagePoint pen = plotter_page_point(page, p.pen_x, p.pen_y);
  const auto size = static_cast<double>(k);
  const double pitch = kPitchSteps * size * kUnitsPerStep;
  const double across = kWidthSteps * size * kUnitsPerStep / strokes::kCapWidth;
  const double up = kHeightSteps * size * kUnitsPerStep / strokes::kCapHeight;
  const PenPoint first = moved({static_cast<double>(pen.x), static_cast<double>(pen.y)}, axes.along,
                               pitch / 2);
  Strokes drawn;
  for (std::size_t i = 0; i < length; ++i) {
    const PenPoint at = moved(first, axes.along, static_cast<double>(i) * pitch);
    strokes::add_glyph(drawn, static_cast<unsigned char>(text[i]), frame(at, axes, across, up));
  }
  return drawn;
}

// Every character moves the pen on, blanks included; steps count y upwards.
void move_past_label(PlotterPen& p, std::size_t length, std::int64_t k, int q) {
  static constexpr int kStepX[4] = {1, 0, -1, 0};
  static constexpr int kStepY[4] = {0, 1, 0, -1};
  const std::int64_t advance = kPitchSteps * k * static_cast<std::int64_t>(length);
  p.pen_x = add_steps(p.pen_x, kStepX[q] * advance);
  p.pen_y = add_steps(p.pen_y, kStepY[q] * advance);
}

// Capitals take at most this share of a text line's height, leaving the
// descenders room below them.
constexpr double kCapShareOfLine = 0.6;

}  // namespace

void stroke_label(PageTarget& t, const char* text, std::size_t length) {
  PlotterPen& p = t.page.plotter;
  const std::int64_t k = std::clamp(p.char_size, 0, kLargestSize) + 1;
  const int q = quadrant(p.text_angle);
  // Like D and J, an empty P still opens the printed sheet.
  if (Surface* surface = t.drawing_surface(); surface != nullptr && length > 0) {
    const Strokes drawn = label_strokes(t.page, text, length, k, axes_of(q));
    if (!drawn.empty()) surface->draw_strokes(drawn, p.pen_color);
  }
  move_past_label(p, length, k, q);
}

void stroke_cell_char(Surface& s, char ch, const StrokeCell& cell, Color color) {
  if (cell.advance <= 0 || cell.line_height <= 0) return;
  const double advance = cell.advance;
  const double line = cell.line_height;
  // The device's proportions at the cell's pitch, no taller than leaves the
  // descenders room in the line; the whole height centred in the line.
  const double cap = std::min(advance, line * kCapShareOfLine);
  const double full = cap * (strokes::kCapHeight + strokes::kDescent) / strokes::kCapHeight;
  const double baseline = (line - full) / 2 + cap;
  const double across = advance * (kWidthSteps / kPitchSteps) / strokes::kCapWidth;
  const double up = cap / strokes::kCapHeight;
  // Turned about the cell's top-left corner, as the page's font turns text.
  const double a = cell.escapement / 10.0 * std::numbers::pi / 180.0;
  const int q = quadrant(cell.escapement);
  const bool square = cell.escapement % 900 == 0;
  const Axes axes = square ? axes_of(q)
                           : Axes{{std::cos(a), -std::sin(a)}, {-std::sin(a), -std::cos(a)}};
  const PenPoint corner{static_cast<double>(cell.x), static_cast<double>(cell.y)};
  const PenPoint at = moved(moved(corner, axes.along, advance / 2), axes.up, -baseline);
  Strokes drawn;
  strokes::add_glyph(drawn, static_cast<unsigned char>(ch), frame(at, axes, across, up));
  if (!drawn.empty()) s.draw_strokes(drawn, color);
}

}  // namespace morvane
