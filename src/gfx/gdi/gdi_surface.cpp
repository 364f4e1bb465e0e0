// GdiSurface: construction, rectangles and pens.
#include "gfx/gdi/gdi_surface.h"

#include <vector>

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

void GdiSurface::set_pen(Color color, std::int32_t dash) {
  if (dash < 0) dash = 0;
  if (pen_ && color == pen_color_ && dash == pen_dash_) return;
  HPEN pen = nullptr;
  if (dash == 0) {
    // Width 1 is one logical unit: a pixel on the sheet, 1/100 inch on paper.
    pen = CreatePen(PS_SOLID, 1, color);
  } else {
    LOGBRUSH brush{BS_SOLID, color, 0};
    const DWORD style[2] = {static_cast<DWORD>(dash), static_cast<DWORD>(dash)};
    // A geometric pen one unit wide counts its dashes in logical units: page
    // units on the sheet and on paper alike. (Cosmetic style units depend on
    // the device, and Wine stretches them threefold.)
    pen = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_USERSTYLE, 1, &brush, 2, style);
  }
  if (!pen) return;
  HGDIOBJ previous = SelectObject(dc_, pen);
  if (pen_) {
    DeleteObject(pen_);
  } else {
    old_pen_ = previous;
  }
  pen_ = pen;
  pen_color_ = color;
  pen_dash_ = dash;
}

namespace {

// GDI leaves a line's end point out, as a pen that stops there would not:
// the polyline goes on by one unit, in the way its last piece runs (a dot
// to the right), so that its end is drawn.
void reach_the_end(std::vector<POINT>& line) {
  const POINT end = line.back();
  const POINT from = line.size() > 1 ? line[line.size() - 2] : end;
  const LONG dx = end.x - from.x;
  const LONG dy = end.y - from.y;
  const LONG adx = dx < 0 ? -dx : dx;
  const LONG ady = dy < 0 ? -dy : dy;
  POINT next = end;
  if (adx == 0 && ady == 0) next.x += 1;
  else if (adx >= ady) next.x += dx < 0 ? -1 : 1;
  else next.y += dy < 0 ? -1 : 1;
  line.push_back(next);
}

}  // namespace

// Pen strokes as polylines of a round pen one unit wide, between whole
// units: GDI places nothing between them.
void GdiSurface::draw_strokes(const Strokes& strokes, Color color) {
  if (strokes.empty()) return;
  LOGBRUSH brush{BS_SOLID, color, 0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 1, &brush,
                          0, nullptr);
  if (!pen) return;
  HGDIOBJ previous = SelectObject(dc_, pen);
  std::vector<POINT> line;
  for (std::size_t k = 0; k < strokes.starts.size(); ++k) {
    line.clear();
    for (std::size_t i = strokes.starts[k]; i < strokes.line_end(k); ++i) {
      line.push_back({whole_unit(strokes.points[i].x), dev_y(whole_unit(strokes.points[i].y))});
    }
    reach_the_end(line);
    Polyline(dc_, line.data(), static_cast<int>(line.size()));
  }
  SelectObject(dc_, previous);
  DeleteObject(pen);
}

void GdiSurface::release_pen() {
  if (!pen_) return;
  SelectObject(dc_, old_pen_);
  DeleteObject(pen_);
  pen_ = nullptr;
  pen_dash_ = -1;
}

void GdiSurface::move_to(std::int32_t x, std::int32_t y) {
  MoveToEx(dc_, x, dev_y(y), nullptr);
}

void GdiSurface::line_to(std::int32_t x, std::int32_t y) {
  if (!pen_) set_pen(rgb(0, 0, 0), 0);
  LineTo(dc_, x, dev_y(y));
}

}  // namespace morvane
