// A surface that draws nothing and remembers every call, for exact assertions
// in tests of the page engine and the emulations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gfx/surface.h"

namespace morvane {

enum class DrawKind { fill_rect, set_pen, move_to, line_to, draw_text, blit_columns, strokes };

const char* draw_kind_name(DrawKind kind);

// One call on the surface. Fields a kind does not use stay zero or empty.
//   fill_rect:    (x0, y0)-(x1, y1), color
//   set_pen:      color, dash
//   move_to:      (x1, y1) the new current point
//   line_to:      from (x0, y0) to (x1, y1), with the pen's color and dash
//   draw_text:    (x0, y0), text, font, color; and the cell when it came
//                 from print_char
//   blit_columns: (x0, y0), columns
//   strokes:      strokes, color
struct DrawRecord {
  DrawKind kind = DrawKind::fill_rect;
  std::int32_t x0 = 0;
  std::int32_t y0 = 0;
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  Color color = 0;
  std::int32_t dash = 0;
  std::string text;
  FontDesc font;
  std::optional<CharCell> cell;
  std::vector<std::uint8_t> columns;
  Strokes strokes;
};

// The metrics the recording surface answers when a test set nothing else:
// a fixed monospace model derived from the font's height and width.
//   em = -height (height < 0), height * 8 / 9 (height > 0), 16 (height 0)
//   tmHeight = em + em / 8 (height < 0 or 0), height (height > 0)
//   tmAveCharWidth = tmMaxCharWidth = |width| when set, else em * 3 / 5
//   tmExternalLeading = 0
TextMetrics monospace_metrics(const FontDesc& font);

class RecordingSurface : public Surface {
 public:
  using MetricsModel = std::function<TextMetrics(const FontDesc&)>;

  void fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                 Color color) override;
  void set_pen(Color color, std::int32_t dash) override;
  void move_to(std::int32_t x, std::int32_t y) override;
  void line_to(std::int32_t x, std::int32_t y) override;
  void draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                 const FontDesc& font, Color color) override;
  TextMetrics text_metrics(const FontDesc& font) override;
  void print_char(std::int32_t x, std::int32_t y, char ch, const FontDesc& font, Color color,
                  const CharCell& cell) override;
  void blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                    std::size_t count) override;
  void draw_strokes(const Strokes& strokes, Color color) override;

  // Metrics for every font without an exact entry (default: monospace_metrics).
  void set_metrics_model(MetricsModel model) { model_ = std::move(model); }
  // Metrics for exactly this font description.
  void set_metrics(const FontDesc& font, const TextMetrics& metrics);

  const std::vector<DrawRecord>& records() const { return records_; }
  std::vector<DrawRecord> take_records() { return std::exchange(records_, {}); }
  void clear() { records_.clear(); }
  std::vector<DrawRecord> of_kind(DrawKind kind) const;
  std::size_t count(DrawKind kind) const;
  // Every draw_text run in order, concatenated.
  std::string all_text() const;
  std::size_t metrics_queries() const { return metrics_queries_; }

 private:
  std::vector<DrawRecord> records_;
  std::vector<std::pair<FontDesc, TextMetrics>> exact_;
  MetricsModel model_;
  Color pen_color_ = 0;
  std::int32_t pen_dash_ = 0;
  std::int32_t cur_x_ = 0;
  std::int32_t cur_y_ = 0;
  std::size_t metrics_queries_ = 0;
};

}  // namespace morvane
