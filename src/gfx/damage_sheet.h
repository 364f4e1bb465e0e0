// A sheet that remembers where it was drawn on since it was last asked, so
// that a window showing it live redraws only that part. It passes every
// drawing on to the sheet it wraps and keeps one rectangle around all of it.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/surface.h"

namespace morvane {

// A rectangle of sheet pixels (page units), [left, right) x [top, bottom).
struct SheetArea {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  // Grows to hold `other` as well; an empty area adds nothing.
  void add(const SheetArea& other);
  // What of it lies on a sheet of width x height.
  SheetArea clipped(std::int32_t width, std::int32_t height) const;
};

class DamageSheet final : public Surface {
 public:
  // `inner` is the sheet drawn on, of width x height page units.
  DamageSheet(std::unique_ptr<Surface> inner, std::int32_t width, std::int32_t height);

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

  // What was drawn on since the last call, on the sheet; then nothing again.
  SheetArea take_damage();
  // The whole sheet counts as changed (a new view of it, say).
  void damage_all();

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

 private:
  void add(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
  const TextMetrics& metrics_of(const FontDesc& font);

  std::unique_ptr<Surface> inner_;
  std::int32_t width_;
  std::int32_t height_;
  SheetArea damage_;
  std::int32_t cur_x_ = 0;
  std::int32_t cur_y_ = 0;
  // Text is measured once per font; a run of characters keeps one font.
  FontDesc measured_font_;
  TextMetrics measured_;
  bool have_measured_ = false;
};

// The sheet pixels a run of `length` characters of text may touch when its
// cell's top-left corner is at (x, y), turned about that corner by the font's
// escapement: the cells, with room for glyphs that reach out of them.
SheetArea text_area(std::int32_t x, std::int32_t y, std::size_t length, const FontDesc& font,
                    const TextMetrics& metrics);

}  // namespace morvane
