#include "gfx/damage_sheet.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace morvane {

namespace {

// Room around drawn cells for what reaches out of them: glyph overhang,
// italics, soft edges, the dot face's dots that spill into their neighbours.
std::int64_t slack_for(std::int64_t height) { return 2 + height / 4; }

std::int32_t clamp32(std::int64_t v, std::int32_t lo, std::int32_t hi) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, lo, hi));
}

}  // namespace

void SheetArea::add(const SheetArea& o) {
  if (o.empty()) return;
  if (empty()) {
    *this = o;
    return;
  }
  left = std::min(left, o.left);
  top = std::min(top, o.top);
  right = std::max(right, o.right);
  bottom = std::max(bottom, o.bottom);
}

SheetArea SheetArea::clipped(std::int32_t width, std::int32_t height) const {
  SheetArea c{std::clamp(left, 0, width), std::clamp(top, 0, height), std::clamp(right, 0, width),
              std::clamp(bottom, 0, height)};
  return c.empty() ? SheetArea{} : c;
}

SheetArea text_area(std::int32_t x, std::int32_t y, std::size_t length, const FontDesc& font,
                    const TextMetrics& metrics) {
  const std::int64_t h = std::max<std::int64_t>(metrics.height, 1);
  const std::int64_t cell = std::max({metrics.max_char_width, metrics.ave_char_width, 1});
  const std::int64_t s = slack_for(h);
  const auto n = static_cast<std::int64_t>(std::min<std::size_t>(length, 1u << 20));
  // The run's box in its own direction: u along the text, v down across it.
  const double u0 = static_cast<double>(-s), u1 = static_cast<double>(n * cell + s);
  const double v0 = static_cast<double>(-s), v1 = static_cast<double>(h + s);
  const double angle = font.escapement / 10.0 * std::numbers::pi / 180.0;
  const double c = std::cos(angle), sn = std::sin(angle);
  double xs[4], ys[4];
  const double us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
  for (int i = 0; i < 4; ++i) {
    // Counter-clockwise on paper, whose y runs downwards.
    xs[i] = x + us[i] * c + vs[i] * sn;
    ys[i] = y - us[i] * sn + vs[i] * c;
  }
  constexpr double kMax = 1 << 30;
  auto lo = [&](const double* v) { return std::clamp(std::floor(*std::min_element(v, v + 4)), -kMax, kMax); };
  auto hi = [&](const double* v) { return std::clamp(std::ceil(*std::max_element(v, v + 4)), -kMax, kMax); };
  return {static_cast<std::int32_t>(lo(xs)), static_cast<std::int32_t>(lo(ys)),
          static_cast<std::int32_t>(hi(xs)) + 1, static_cast<std::int32_t>(hi(ys)) + 1};
}

DamageSheet::DamageSheet(std::unique_ptr<Surface> inner, std::int32_t width, std::int32_t height)
    : inner_(std::move(inner)), width_(std::max(width, 0)), height_(std::max(height, 0)) {}

SheetArea DamageSheet::take_damage() {
  const SheetArea d = damage_;
  damage_ = {};
  return d;
}

void DamageSheet::damage_all() { damage_ = SheetArea{0, 0, width_, height_}.clipped(width_, height_); }

void DamageSheet::add(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  const SheetArea a{clamp32(left, 0, width_), clamp32(top, 0, height_), clamp32(right, 0, width_),
                    clamp32(bottom, 0, height_)};
  damage_.add(a);
}

const TextMetrics& DamageSheet::metrics_of(const FontDesc& font) {
  if (!have_measured_ || !(measured_font_ == font)) {
    measured_ = inner_->text_metrics(font);
    measured_font_ = font;
    have_measured_ = true;
  }
  return measured_;
}

void DamageSheet::fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                            Color color) {
  inner_->fill_rect(x0, y0, x1, y1, color);
  add(x0, y0, x1, y1);
}

void DamageSheet::draw_strokes(const Strokes& strokes, Color color) {
  inner_->draw_strokes(strokes, color);
  if (strokes.empty()) return;
  double left = strokes.points[0].x, right = left;
  double top = strokes.points[0].y, bottom = top;
  for (const PenPoint& p : strokes.points) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  // The pen's width and the antialiased rim around it.
  static constexpr double kLimit = 1 << 30;
  auto whole = [](double v) { return static_cast<std::int64_t>(std::clamp(v, -kLimit, kLimit)); };
  add(whole(std::floor(left)) - 2, whole(std::floor(top)) - 2, whole(std::ceil(right)) + 3,
      whole(std::ceil(bottom)) + 3);
}

void DamageSheet::set_pen(Color color, std::int32_t dash) { inner_->set_pen(color, dash); }

void DamageSheet::move_to(std::int32_t x, std::int32_t y) {
  inner_->move_to(x, y);
  cur_x_ = x;
  cur_y_ = y;
}

void DamageSheet::line_to(std::int32_t x, std::int32_t y) {
  inner_->line_to(x, y);
  add(std::min(cur_x_, x), std::min(cur_y_, y), std::int64_t{std::max(cur_x_, x)} + 1,
      std::int64_t{std::max(cur_y_, y)} + 1);
  cur_x_ = x;
  cur_y_ = y;
}

void DamageSheet::draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                            const FontDesc& font, Color color) {
  inner_->draw_text(x, y, text, length, font, color);
  if (length == 0) return;
  const SheetArea a = text_area(x, y, length, font, metrics_of(font));
  add(a.left, a.top, a.right, a.bottom);
}

TextMetrics DamageSheet::text_metrics(const FontDesc& font) { return metrics_of(font); }

void DamageSheet::print_char(std::int32_t x, std::int32_t y, char ch, const FontDesc& font,
                             Color color, const CharCell& cell) {
  inner_->print_char(x, y, ch, font, color, cell);
  const TextMetrics& m = metrics_of(font);
  const SheetArea glyph = text_area(x, y, 1, font, m);
  add(glyph.left, glyph.top, glyph.right, glyph.bottom);
  // A face that prints the cell as a head would may fill all of it, and
  // emphasized dots go half a character further.
  const std::int64_t width = std::max<std::int64_t>(cell.advance, m.max_char_width);
  const std::int64_t height = std::max<std::int64_t>(cell.line_height, m.height);
  const std::int64_t s = slack_for(height);
  add(std::int64_t{x} - s, std::int64_t{y} - s, x + width + width / 2 + s, y + height + s);
}

void DamageSheet::blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                               std::size_t count) {
  inner_->blit_columns(x, y, columns, count);
  const auto n = static_cast<std::int64_t>(std::min<std::size_t>(count, 1u << 30));
  // Round dots reach a little past their column and row.
  add(std::int64_t{x} - 2, std::int64_t{y} - 2, x + n + 2, std::int64_t{y} + 10);
}

}  // namespace morvane
