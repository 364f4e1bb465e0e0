#include "gfx/cairo/dot_ink.h"

#include <algorithm>
#include <cmath>

#include "gfx/cairo/text.h"

namespace morvane {
namespace {

constexpr double kPi = 3.14159265358979323846;
// A dot is a solid core in the ink and a thin rim around it, as ink spreads a
// little into paper; as parts of the dot's diameter, and how much ink the
// rim holds.
constexpr double kCore = 0.92;
constexpr double kRim = 1.08;
constexpr double kRimInk = 0.45;

}  // namespace

double dot_radius(double diameter, DotPart part) {
  return diameter * (part == DotPart::rim ? kRim : kCore) / 2;
}

Color rim_color(Color ink) {
  const auto on_paper = [](unsigned c) {
    return static_cast<unsigned>(std::lround(c * kRimInk + 255 * (1 - kRimInk)));
  };
  return rgb(on_paper(red_of(ink)), on_paper(green_of(ink)), on_paper(blue_of(ink)));
}

void fill_dots(cairo_t* cr, const DotPattern& pattern, double x, double y, DotPart part) {
  cairo_new_path(cr);
  if (!(pattern.diameter > 0)) return;
  const double r = dot_radius(pattern.diameter, part);
  for (const Dot& d : pattern.dots) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + d.x, y + d.y, r, 0, 2 * kPi);
  }
  cairo_fill(cr);
}

void paint_dots(cairo_t* cr, const DotPattern& pattern, double x, double y, Color color) {
  cairo_set_source_rgba(cr, red_of(color) / 255.0, green_of(color) / 255.0,
                        blue_of(color) / 255.0, kRimInk);
  fill_dots(cr, pattern, x, y, DotPart::rim);
  set_source_color(cr, color);
  fill_dots(cr, pattern, x, y, DotPart::core);
}

InkBox ink_box(const DotPattern& pattern) {
  if (pattern.dots.empty()) return {};
  InkBox b{pattern.dots[0].x, pattern.dots[0].y, pattern.dots[0].x, pattern.dots[0].y};
  for (const Dot& d : pattern.dots) {
    b.left = std::min(b.left, d.x);
    b.right = std::max(b.right, d.x);
    b.top = std::min(b.top, d.y);
    b.bottom = std::max(b.bottom, d.y);
  }
  const double r = dot_radius(pattern.diameter, DotPart::rim);
  return {b.left - r, b.top - r, b.right + r, b.bottom + r};
}

bool render_dot_mask(const DotPattern& pattern, GlyphMask& out) {
  out = GlyphMask{};
  if (pattern.dots.empty() || !(pattern.diameter > 0)) return true;
  const InkBox box = ink_box(pattern);
  // A pixel of blank margin on every side, so that no ink meets the edge.
  const double left = std::floor(box.left) - 1;
  const double top = std::floor(box.top) - 1;
  const double w = std::ceil(box.right) + 1 - left;
  const double h = std::ceil(box.bottom) + 1 - top;
  if (w > GlyphCache::kMaxSide || h > GlyphCache::kMaxSide) return false;
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_A8, static_cast<int>(w), static_cast<int>(h));
  bool kept = false;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_t* cr = cairo_create(s);
    paint_dots(cr, pattern, -left, -top, rgb(0, 0, 0));
    const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    kept = ok && mask_from_coverage(s, static_cast<int>(-left), static_cast<int>(-top), out);
  }
  cairo_surface_destroy(s);
  return kept;
}

DotKey dot_key(unsigned char ch, const CharCell& cell, bool underline, Color color) {
  DotKey k;
  k.advance = cell.advance;
  k.line_height = cell.line_height;
  k.color = color;
  k.ch = ch;
  k.styles = static_cast<std::uint8_t>((cell.emphasized ? 1 : 0) | (cell.double_strike ? 2 : 0) |
                                       (cell.script ? 4 : 0) | (underline ? 8 : 0) |
                                       (cell.wide ? 16 : 0));
  return k;
}

std::size_t DotKeyHash::operator()(const DotKey& k) const {
  std::uint64_t h = static_cast<std::uint32_t>(k.advance);
  h = h * 0x9E3779B97F4A7C15ull + static_cast<std::uint32_t>(k.line_height);
  h = h * 0x9E3779B97F4A7C15ull + k.color;
  h = h * 0x9E3779B97F4A7C15ull + (static_cast<std::uint32_t>(k.ch) << 8 | k.styles);
  return static_cast<std::size_t>(h ^ (h >> 29));
}

}  // namespace morvane
