// A screen sheet that nobody will look at: the page is still laid out with
// the sheet's own font metrics, but nothing is drawn. Used when no page image
// is saved, since drawing the screen sheet is a good part of a run's time.
#pragma once

#include <memory>

#include "gfx/surface.h"

namespace morvane {

class MeasuringSheet final : public Surface {
 public:
  // `metrics` answers the font measurements (a sheet of the real kind).
  explicit MeasuringSheet(std::unique_ptr<Surface> metrics) : metrics_(std::move(metrics)) {}

  void fill_rect(std::int32_t, std::int32_t, std::int32_t, std::int32_t, Color) override {}
  void set_pen(Color, std::int32_t) override {}
  void move_to(std::int32_t, std::int32_t) override {}
  void line_to(std::int32_t, std::int32_t) override {}
  void draw_text(std::int32_t, std::int32_t, const char*, std::size_t, const FontDesc&, Color) override {}
  TextMetrics text_metrics(const FontDesc& font) override { return metrics_->text_metrics(font); }
  void blit_columns(std::int32_t, std::int32_t, const std::uint8_t*, std::size_t) override {}
  void draw_strokes(const Strokes&, Color) override {}

 private:
  std::unique_ptr<Surface> metrics_;
};

}  // namespace morvane
