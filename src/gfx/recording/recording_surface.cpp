#include "gfx/recording/recording_surface.h"

#include <cstdlib>

namespace morvane {

const char* draw_kind_name(DrawKind kind) {
  switch (kind) {
    case DrawKind::fill_rect: return "fill_rect";
    case DrawKind::set_pen: return "set_pen";
    case DrawKind::move_to: return "move_to";
    case DrawKind::line_to: return "line_to";
    case DrawKind::draw_text: return "draw_text";
    case DrawKind::blit_columns: return "blit_columns";
    case DrawKind::strokes: return "strokes";
  }
  return "?";
}

TextMetrics monospace_metrics(const FontDesc& font) {
  // 64-bit so that any height, even INT32_MIN, has a magnitude.
  const std::int64_t h = font.height;
  std::int64_t em = 16;
  std::int64_t cell = em + em / 8;
  if (h < 0) {
    em = -h;
    cell = em + em / 8;
  } else if (h > 0) {
    em = h * 8 / 9;
    cell = h;
  }
  const std::int64_t w = std::llabs(static_cast<long long>(font.width));
  const std::int64_t ave = w != 0 ? w : em * 3 / 5;
  auto clamp = [](std::int64_t v) {
    return static_cast<std::int32_t>(v > INT32_MAX ? INT32_MAX : v);
  };
  TextMetrics m;
  m.height = clamp(cell);
  m.external_leading = 0;
  m.ave_char_width = clamp(ave);
  m.max_char_width = clamp(ave);
  return m;
}

void RecordingSurface::fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1,
                                 std::int32_t y1, Color color) {
  DrawRecord r;
  r.kind = DrawKind::fill_rect;
  r.x0 = x0;
  r.y0 = y0;
  r.x1 = x1;
  r.y1 = y1;
  r.color = color;
  records_.push_back(std::move(r));
}

void RecordingSurface::set_pen(Color color, std::int32_t dash) {
  pen_color_ = color;
  pen_dash_ = dash;
  DrawRecord r;
  r.kind = DrawKind::set_pen;
  r.color = color;
  r.dash = dash;
  records_.push_back(std::move(r));
}

void RecordingSurface::move_to(std::int32_t x, std::int32_t y) {
  cur_x_ = x;
  cur_y_ = y;
  DrawRecord r;
  r.kind = DrawKind::move_to;
  r.x1 = x;
  r.y1 = y;
  records_.push_back(std::move(r));
}

void RecordingSurface::line_to(std::int32_t x, std::int32_t y) {
  DrawRecord r;
  r.kind = DrawKind::line_to;
  r.x0 = cur_x_;
  r.y0 = cur_y_;
  r.x1 = x;
  r.y1 = y;
  r.color = pen_color_;
  r.dash = pen_dash_;
  records_.push_back(std::move(r));
  cur_x_ = x;
  cur_y_ = y;
}

void RecordingSurface::draw_text(std::int32_t x, std::int32_t y, const char* text,
                                 std::size_t length, const FontDesc& font, Color color) {
  DrawRecord r;
  r.kind = DrawKind::draw_text;
  r.x0 = x;
  r.y0 = y;
  if (text != nullptr) r.text.assign(text, length);
  r.font = font;
  r.color = color;
  records_.push_back(std::move(r));
}

void RecordingSurface::print_char(std::int32_t x, std::int32_t y, char ch, const FontDesc& font,
                                  Color color, const CharCell& cell) {
  draw_text(x, y, &ch, 1, font, color);
  records_.back().cell = cell;
}

TextMetrics RecordingSurface::text_metrics(const FontDesc& font) {
  ++metrics_queries_;
  for (const auto& [desc, metrics] : exact_) {
    if (desc == font) return metrics;
  }
  return model_ ? model_(font) : monospace_metrics(font);
}

void RecordingSurface::blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                                    std::size_t count) {
  DrawRecord r;
  r.kind = DrawKind::blit_columns;
  r.x0 = x;
  r.y0 = y;
  if (columns != nullptr) r.columns.assign(columns, columns + count);
  records_.push_back(std::move(r));
}

void RecordingSurface::draw_strokes(const Strokes& strokes, Color color) {
  DrawRecord r;
  r.kind = DrawKind::strokes;
  r.strokes = strokes;
  r.color = color;
  records_.push_back(std::move(r));
}

void RecordingSurface::set_metrics(const FontDesc& font, const TextMetrics& metrics) {
  for (auto& entry : exact_) {
    if (entry.first == font) {
      entry.second = metrics;
      return;
    }
  }
  exact_.emplace_back(font, metrics);
}

std::vector<DrawRecord> RecordingSurface::of_kind(DrawKind kind) const {
  std::vector<DrawRecord> out;
  for (const auto& r : records_) {
    if (r.kind == kind) out.push_back(r);
  }
  return out;
}

std::size_t RecordingSurface::count(DrawKind kind) const {
  std::size_t n = 0;
  for (const auto& r : records_) n += r.kind == kind ? 1 : 0;
  return n;
}

std::string RecordingSurface::all_text() const {
  std::string out;
  for (const auto& r : records_) {
    if (r.kind == DrawKind::draw_text) out += r.text;
  }
  return out;
}

}  // namespace morvane
