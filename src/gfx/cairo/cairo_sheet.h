// The on-screen sheet: an RGB image, one pixel per page unit. Rectangles,
// lines and bit images are set pixel by pixel exactly where GDI sets them;
// text goes through cairo and FreeType, single upright characters through
// masks of cairo's own rendering kept in a glyph cache. With the dot face the
// dot-matrix emulation's characters and bit images are round dots instead,
// blended from kept masks in the same way.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "gfx/cairo/dot_masks.h"
#include "gfx/cairo/font_cache.h"
#include "gfx/cairo/glyph_cache.h"
#include "gfx/cairo/ink_rows.h"
#include "gfx/surface.h"

namespace morvane {

class CairoSheet : public Surface {
 public:
  // A white sheet. Sizes outside 1..32767 give an empty sheet that draws nothing.
  CairoSheet(std::int32_t width, std::int32_t height, Face face = Face::truetype);
  ~CairoSheet() override;
  CairoSheet(const CairoSheet&) = delete;
  CairoSheet& operator=(const CairoSheet&) = delete;

  static constexpr Color kOutside = 0xFFFFFFFF;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  // The colour at (x, y), or kOutside off the sheet.
  Color pixel(std::int32_t x, std::int32_t y);
  bool save_png(const std::string& path);
  // The image, flushed, for copying into a view; null for an empty sheet.
  // Read it only (the sheet keeps track of what it drew itself), and ask
  // again after further drawing.
  cairo_surface_t* image();

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
  // Direct pixel access; callers keep inside the sheet. Cairo is told of
  // direct writes only before it next touches the sheet, and flushed only
  // when it drew since, so a character costs no cairo call.
  std::uint32_t* row(std::int32_t y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * pitch_; }
  void begin_direct();
  void end_direct() { direct_unmarked_ = true; }
  void before_cairo();
  cairo_t* context();
  void blend_mask(std::int32_t x, std::int32_t y, const GlyphMask& mask, Color color);
  void blit_dots(std::int32_t x, std::int32_t y, const std::uint8_t* columns, std::int64_t first,
                 std::int64_t last);

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  Face face_ = Face::truetype;
  cairo_surface_t* surface_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
  std::ptrdiff_t pitch_ = 0;  // pixels from one row to the next
  bool direct_unmarked_ = false;
  bool cairo_unflushed_ = false;
  cairo_t* cr_ = nullptr;
  FontCache fonts_;
  GlyphCache glyphs_;
  DotMasks dots_;
  OnWhite on_white_;
  InkRows ink_;
  Color pen_color_ = 0;
  std::int32_t pen_dash_ = 0;
  std::int32_t cur_x_ = 0;
  std::int32_t cur_y_ = 0;
};

}  // namespace morvane
