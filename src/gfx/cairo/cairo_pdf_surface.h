// Printer pages through cairo: page units drawn as vectors on a target
// measured in points (a PDF page, or a recording of one), 72/100 point per
// unit. Text stays text, bit images stay small images; with the dot face the
// dot-matrix emulation's characters and bit images are vector dots instead.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "gfx/cairo/dot_forms.h"
#include "gfx/cairo/font_cache.h"
#include "gfx/surface.h"

namespace morvane {

class CairoPdfSurface : public Surface {
 public:
  static constexpr double kPointsPerUnit = 0.72;

  explicit CairoPdfSurface(Face face = Face::truetype) : face_(face) {}
  ~CairoPdfSurface() override;
  CairoPdfSurface(const CairoPdfSurface&) = delete;
  CairoPdfSurface& operator=(const CairoPdfSurface&) = delete;

  // Draws go to `target` from now on; between end() and the next begin()
  // they are dropped (a printer has no sheet then). Metrics always work.
  void begin(cairo_surface_t* target);
  void end();
  bool drawing() const { return cr_ != nullptr; }

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
  // Characters the engine draws one at a time, gathered for one show call.
  // The PDF surface weighs every drawing operation against the whole page
  // when the sheet is written, so a page of single characters costs far more
  // there than a page of a few runs. Glyphs keep their exact positions.
  struct TextRun {
    FontDesc font;
    Color color = 0;
    cairo_scaled_font_t* scaled = nullptr;  // owned reference
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_rectangle_t> lines;  // underlines and strike-outs
  };

  bool add_to_run(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                  const FontDesc& font, const RealisedFont& realised, Color color);
  bool start_run(const FontDesc& font, const RealisedFont& realised);
  void flush_text();
  void drop_run_font();
  void blit_chunk(double x, double y, const std::uint8_t* columns, int count);
  void blit_dots(std::int32_t x, std::int32_t y, const std::uint8_t* columns, std::size_t count);
  static std::size_t placed_runs(const std::uint8_t* columns, std::size_t count);
  static std::size_t placed_columns(const std::uint8_t* columns, std::size_t count);
  void place_runs(cairo_t* cr, std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                  std::size_t count, DotPart part);
  void place_columns(cairo_t* cr, std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                     std::size_t count, DotPart part);
  static void place(cairo_t* cr, cairo_surface_t* form, double x, double y);

  Face face_ = Face::truetype;
  cairo_t* cr_ = nullptr;
  TextRun run_;
  FontCache fonts_;
  DotForms dots_;
  Color pen_color_ = 0;
  std::int32_t pen_dash_ = 0;
  std::int32_t cur_x_ = 0;
  std::int32_t cur_y_ = 0;
};

}  // namespace morvane
