#include "app/slidebar.h"

#include <algorithm>

#include "app/app.h"
#include "page/commands.h"
#include "view/bar_math.h"
#include "view/view_colors.h"

namespace morvane {

namespace {

constexpr int kBarTop = 20;

void fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// The picture in bar units: yellow strip, tick lines, the marker at line n.
// Returns the marker's tip.
std::uint32_t paint_picture(HDC mem, const PageState& screen, int w, int h, std::uint32_t lh,
                            std::uint32_t n) {
  fill(mem, RECT{0, 0, w, h}, kBarYellow);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HBRUSH brush = CreateSolidBrush(kViewGrey);
  HGDIOBJ old_pen = SelectObject(mem, pen);
  HGDIOBJ old_brush = SelectObject(mem, brush);
  for (const std::uint32_t y : tick_positions(screen, static_cast<std::uint32_t>(h), lh)) {
    MoveToEx(mem, 0, static_cast<int>(y), nullptr);
    LineTo(mem, w, static_cast<int>(y));
  }
  const std::uint32_t f = marker_position(screen, lh, n);
  POINT points[7];
  const auto outline = marker_outline(f, w);
  for (std::size_t i = 0; i < outline.size(); ++i) points[i] = {outline[i].x, outline[i].y};
  Polygon(mem, points, 7);
  SelectObject(mem, old_pen);
  SelectObject(mem, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);
  return f;
}

// Copies the picture to the bar as the sheet is shown; returns how many bar
// rows it covered.
int copy_picture(HDC dc, HDC mem, ViewMode view_mode, int w, int h, int shown, std::uint32_t scroll_y) {
  if (view_mode == ViewMode::original_size) {
    const int top = static_cast<int>(std::min<std::uint32_t>(scroll_y, static_cast<std::uint32_t>(h)));
    BitBlt(dc, 0, 0, w, h - top, mem, 0, top, SRCCOPY);
    return h - top;
  }
  StretchBlt(dc, 0, 0, w, shown, mem, 0, 0, w, h, SRCCOPY);
  return shown;
}

void draw_picture(App& app, HDC dc, ViewMode view_mode, int h, std::uint32_t lh,
                  std::uint32_t n) {
  const int w = app.bar.width;
  SlidebarState& s = app.slidebar;
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bitmap = h > 0 ? CreateCompatibleBitmap(dc, w, h) : nullptr;
  int covered = 0;
  if (mem && bitmap) {
    HGDIOBJ old_bitmap = SelectObject(mem, bitmap);
    s.marker_y = paint_picture(mem, app.engine.screen, w, h, lh, n);
    covered = copy_picture(dc, mem, view_mode, w, h, static_cast<int>(s.shown_height),
                           app.paper.scroll_y);
    SelectObject(mem, old_bitmap);
  }
  if (bitmap) DeleteObject(bitmap);
  if (mem) DeleteDC(mem);
  // Rows the picture does not reach are never left with stale pixels.
  RECT client{};
  GetClientRect(app.bar.hwnd, &client);
  client.top = std::max<LONG>(covered, 0);
  fill(dc, client, kBarYellow);
}

// The bar takes the shown sheet's height. It is not repainted here (the
// picture follows at once), but the main window shows its background again
// where a taller bar stood before: the first drawing shortens the bar from
// its created height.
void resize_bar(App& app, int height) {
  HWND bar = app.bar.hwnd;
  HWND parent = GetParent(bar);
  RECT before{};
  GetWindowRect(bar, &before);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);
  MoveWindow(bar, 0, kBarTop, app.bar.width, height, FALSE);
  if (before.bottom > kBarTop + height) {
    const RECT uncovered{before.left, kBarTop + height, before.right, before.bottom};
    InvalidateRect(parent, &uncovered, TRUE);
  }
}

void redraw_last(App& app) {
  const BarDrawing d = app.slidebar.last;
  draw_bar(app, d.view_mode, d.sheet_height, app.slidebar.shown_height, d.line_height, d.line);
}

void on_paint(App& app, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc && !app.slidebar.last.valid) fill(dc, ps.rcPaint, kBarYellow);
  EndPaint(hwnd, &ps);
  if (app.slidebar.last.valid) redraw_last(app);
}

void on_button_down(App& app, int y) {
  const Engine& e = app.engine;
  if (app.paper.view_mode == ViewMode::fit_to_window) app.paper.scroll_y = 0;
  if (press_grabs_marker(app.paper.view_mode, y, e.screen.paper_height, app.slidebar.shown_height,
                         app.slidebar.marker_y, app.paper.scroll_y)) {
    app.slidebar.dragging = 1;
    // The bar holds the mouse while the marker is dragged, so that the
    // release reaches it wherever the pointer is by then.
    SetCapture(app.bar.hwnd);
  }
}

void on_button_up(App& app) {
  if (!app.slidebar.dragging) return;
  app.slidebar.dragging = 0;
  // A page being printed is replayed into the printer page right now: moving
  // its print position would misplace the rest of that page.
  if (engine_busy(app)) return;
  const std::uint32_t n = release_line(app.slidebar.marker_y, app.engine.screen);
  move_print_line(app.engine, n);
}

// A drag ends as a release at the marker's last position: by the button,
// by a move without it, or when another window takes the mouse.
void end_drag(App& app) {
  on_button_up(app);
  if (GetCapture() == app.bar.hwnd) ReleaseCapture();
}

void on_mouse_move(App& app, int y, WPARAM keys) {
  if (!app.slidebar.dragging) return;
  if ((keys & MK_LBUTTON) == 0) {
    end_drag(app);
    return;
  }
  const Engine& e = app.engine;
  const std::uint32_t pos = drag_position(app.paper.view_mode, y, e.screen.paper_height,
                                          app.slidebar.shown_height, app.paper.scroll_y);
  if (pos == app.slidebar.marker_y) return;
  const std::uint32_t n = drag_line(pos, e.screen.line_height);
  draw_bar(app, app.paper.view_mode, e.screen.paper_height, app.slidebar.shown_height,
           e.screen.line_height, n);
}

int pointer_y(LPARAM lparam) { return static_cast<std::int16_t>(HIWORD(lparam)); }

LRESULT CALLBACK slidebar_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) attach_app(hwnd, lparam);
  App* app = app_of(hwnd);
  if (!app) return DefWindowProcA(hwnd, msg, wparam, lparam);
  switch (msg) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_COMMAND:
      return 0;
    case WM_PAINT:
      on_paint(*app, hwnd);
      return 0;
    case WM_LBUTTONDOWN:
      on_button_down(*app, pointer_y(lparam));
      return 0;
    case WM_MOUSEMOVE:
      on_mouse_move(*app, pointer_y(lparam), wparam);
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      end_drag(*app);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wparam, lparam);
  }
}

}  // namespace

ATOM register_slidebar_class(App& app, HINSTANCE instance) {
  app.bar.width = GetSystemMetrics(SM_CXVSCROLL);
  WNDCLASSA wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = slidebar_procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kSlidebarClass;
  return RegisterClassA(&wc);
}

HWND create_slidebar(App& app, HWND parent, HINSTANCE instance, int height) {
  app.bar.hwnd = CreateWindowExA(0, kSlidebarClass, "Slidebar", WS_CHILD | WS_VISIBLE, 0, kBarTop,
                                 app.bar.width, height - kBarTop, parent, nullptr, instance, &app);
  return app.bar.hwnd;
}

void draw_bar(App& app, ViewMode view_mode, std::uint32_t sheet_height,
              std::uint32_t shown_height, std::uint32_t line_height, std::uint32_t line) {
  HWND bar = app.bar.hwnd;
  if (!bar) return;
  SlidebarState& s = app.slidebar;
  s.last = {true, view_mode, sheet_height, line_height, line};
  if (shown_height != s.shown_height) {
    resize_bar(app, static_cast<int>(shown_height + kBarOffset));
    s.shown_height = shown_height;
  }
  HDC dc = GetDC(bar);
  if (!dc) return;
  // Bitmap heights are ints; a sheet is never near that limit.
  const int h = static_cast<int>(std::min<std::uint32_t>(sheet_height, 0x7FFF));
  draw_picture(app, dc, view_mode, h, line_height, line);
  ReleaseDC(bar, dc);
}

}  // namespace morvane
