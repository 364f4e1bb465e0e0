// GDI drawing backend: a Surface over a Windows device context.
//
// Two flavours share the drawing code:
//  - the screen sheet: a memory DC holding a bitmap of width x height pixels,
//    compatible with the paper window's DC, MM_TEXT, one pixel per page unit;
//  - the printer: an existing printer DC in MM_LOENGLISH (y up), on which every
//    y is negated here, so callers keep page units with y downwards.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "gfx/surface.h"

namespace morvane {

class GdiSurface : public Surface {
 public:
  // A blank white sheet; window_dc null means "compatible with the screen".
  // Null when GDI cannot make the DC or the bitmap (e.g. a huge size).
  static std::unique_ptr<GdiSurface> create_sheet(HDC window_dc, std::int32_t width,
                                                  std::int32_t height);
  // Draws on a DC owned by someone else (the printer's); y is negated.
  static std::unique_ptr<GdiSurface> on_printer(HDC printer_dc);

  ~GdiSurface() override;
  GdiSurface(const GdiSurface&) = delete;
  GdiSurface& operator=(const GdiSurface&) = delete;

  void fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                 Color color) override;
  void set_pen(Color color, std::int32_t dash) override;
  void move_to(std::int32_t x, std::int32_t y) override;
  void line_to(std::int32_t x, std::int32_t y) override;
  void draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                 const FontDesc& font, Color color) override;
  TextMetrics text_metrics(const FontDesc& font) override;
  void blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                    std::size_t count) override;
  void draw_strokes(const Strokes& strokes, Color color) override;

  // For the shell's BitBlt/StretchBlt into the window.
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }  // null on the printer
  bool is_printer() const { return printer_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  // The cached font handle (null before the first text); changes only when
  // the font description does.
  HFONT font_handle() const { return font_; }
  // The face this device draws `font` in: its own face, or the fixed-pitch
  // face put in its place when the device lacks it. Empty when unknown.
  std::string face_drawn(const FontDesc& font);

 private:
  GdiSurface(HDC dc, bool printer) : dc_(dc), printer_(printer) {}

  std::int32_t dev_y(std::int32_t y) const { return printer_ ? -y : y; }
  void dashed_line(POINT from, POINT to);
  HFONT realise_font(const FontDesc& font);
  const std::array<INT, 256>* run_advances(const FontDesc& font, HFONT realised);
  void release_pen();
  void release_font();

  HDC dc_ = nullptr;
  bool printer_ = false;
  bool owns_dc_ = false;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;

  HPEN pen_ = nullptr;
  HGDIOBJ old_pen_ = nullptr;
  Color pen_color_ = 0;
  std::int32_t pen_dash_ = -1;

  HFONT font_ = nullptr;
  FontDesc font_desc_;
  // What each character advances along a run of the font, in page units.
  std::array<INT, 256> advances_{};
  FontDesc advances_font_;
  bool have_advances_ = false;
};

// LOGFONTA with the same fields as the description, and back.
LOGFONTA to_logfont(const FontDesc& font);
FontDesc from_logfont(const LOGFONTA& font);

}  // namespace morvane
