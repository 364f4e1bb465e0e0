// GdiSurface: construction and rectangles.
#include "gfx/gdi/gdi_surface.h"

namespace morvane {

std::unique_ptr<GdiSurface> GdiSurface::create_sheet(HDC window_dc, std::int32_t width,
                                                     std::int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  HDC screen = window_dc ? window_dc : GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = dc ? CreateCompatibleBitmap(screen, width, height) : nullptr;
  if (!window_dc) ReleaseDC(nullptr, screen);
  if (!bitmap) {
    if (dc) DeleteDC(dc);
    return nullptr;
  }
  std::unique_ptr<GdiSurface> sheet(new GdiSurface(dc, false));
  sheet->owns_dc_ = true;
  sheet->bitmap_ = bitmap;
  sheet->old_bitmap_ = SelectObject(dc, bitmap);
  sheet->width_ = width;
  sheet->height_ = height;
  SetMapMode(dc, MM_TEXT);
  SetBkMode(dc, TRANSPARENT);
  // A compatible bitmap starts with undefined contents; a new sheet is blank.
  sheet->fill_rect(0, 0, width, height, rgb(255, 255, 255));
  return sheet;
}

std::unique_ptr<GdiSurface> GdiSurface::on_printer(HDC printer_dc) {
  if (!printer_dc) return nullptr;
  return std::unique_ptr<GdiSurface>(new GdiSurface(printer_dc, true));
}

GdiSurface::~GdiSurface() {
  release_pen();
  release_font();
  if (owns_dc_) {
    if (old_bitmap_) SelectObject(dc_, old_bitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

void GdiSurface::fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                           Color color) {
  if (x1 <= x0 || y1 <= y0) return;
  RECT r{x0, dev_y(y0), x1, dev_y(y1)};
  HBRUSH brush = CreateSolidBrush(color);
  if (!brush) return;
  FillRect(dc_, &r, brush);
  DeleteObject(brush);
}

}  // namespace morvane
