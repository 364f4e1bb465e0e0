#include "app/paper_window.h"

#include "app/app.h"
#include "page/feed.h"
#include "view/scroll_math.h"
#include "app/sheet_view.h"

namespace morvane {

namespace {

// Every redraw of the window goes through the engine's repaint, unless the
// engine is already at work further down the stack (a message box it raised,
// a page being printed): then the sheet as it stands is shown directly.
void repaint(App& app) {
  if (engine_busy(app)) {
    show_sheet_now(app);
    return;
  }
  in_engine(app, [&] { repaint_page(app.engine); });
}

void on_paint(App& app, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  app.paper.paint_dc = dc;
  repaint(app);
  app.paper.paint_dc = nullptr;
  EndPaint(hwnd, &ps);
}

RECT client_of(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

void on_scroll(App& app, HWND hwnd, int bar, WPARAM wparam) {
  const int request = LOWORD(wparam);
  const auto thumb = static_cast<std::int32_t>(static_cast<std::int16_t>(HIWORD(wparam)));
  const RECT r = client_of(hwnd);
  const PageState& s = app.engine.screen;
  std::uint32_t& pos = bar == kVerticalBar ? app.paper.scroll_y : app.paper.scroll_x;
  if (bar == kVerticalBar)
    pos = scroll_position(request, pos, s.line_height, r.bottom - r.top, s.paper_height, thumb);
  else
    pos = scroll_position(request, pos, s.char_width, r.right - r.left, s.paper_width, thumb);
  repaint(app);
  set_scroll_pos(app, bar, pos);
}

LRESULT CALLBACK paper_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) attach_app(hwnd, lparam);
  App* app = app_of(hwnd);
  if (!app) return DefWindowProcA(hwnd, msg, wparam, lparam);
  switch (msg) {
    case WM_CREATE:
    case WM_DESTROY:
      return 0;
    case WM_PAINT:
      on_paint(*app, hwnd);
      return 0;
    case WM_VSCROLL:
      on_scroll(*app, hwnd, kVerticalBar, wparam);
      return 0;
    case WM_HSCROLL:
      on_scroll(*app, hwnd, kHorizontalBar, wparam);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wparam, lparam);
  }
}

// One scroll bar of the original-size view; shown disabled while the sheet
// fits along it.
void set_bar(HWND hwnd, int bar, std::int32_t view, std::uint32_t extent, std::uint32_t pos) {
  const ScrollBarSetup b = scroll_bar_setup(view, extent, pos);
  const int which = bar == kVerticalBar ? SB_VERT : SB_HORZ;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = b.max;
  si.nPage = b.page;
  si.nPos = b.pos;
  SetScrollInfo(hwnd, which, &si, TRUE);
  EnableScrollBar(hwnd, which, b.enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

}  // namespace

ATOM register_paper_class(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = paper_procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kPaperClass;
  return RegisterClassA(&wc);
}

HWND create_paper_window(App& app, HWND parent, HINSTANCE instance, int x, int y, int width,
                         int height) {
  app.paper.hwnd = CreateWindowExA(0, kPaperClass, "PaperWindow",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, x, y, width,
                                   height, parent, nullptr, instance, &app);
  return app.paper.hwnd;
}

void place_paper_window(App& app, HWND main_window, int x, int y) {
  if (!app.paper.hwnd) return;
  RECT r{};
  GetClientRect(main_window, &r);
  MoveWindow(app.paper.hwnd, x, y, r.right - x, r.bottom - y, TRUE);
}

void update_scroll_bars(App& app) {
  HWND hwnd = app.paper.hwnd;
  if (!hwnd) return;
  // The client area already leaves out the window's own scroll bars.
  const RECT r = client_of(hwnd);
  const std::int32_t cw = r.right - r.left;
  const std::int32_t ch = r.bottom - r.top;
  if (app.paper.view_mode == ViewMode::fit_to_window) {
    EnableScrollBar(hwnd, SB_BOTH, ESB_DISABLE_BOTH);
    return;
  }
  const PageState& s = app.engine.screen;
  set_bar(hwnd, kVerticalBar, ch, s.paper_height, app.paper.scroll_y);
  set_bar(hwnd, kHorizontalBar, cw, s.paper_width, app.paper.scroll_x);
}

void set_scroll_pos(App& app, int bar, std::uint32_t position) {
  if (app.paper.view_mode != ViewMode::original_size || !app.paper.hwnd) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS;
  si.nPos = static_cast<int>(position);
  SetScrollInfo(app.paper.hwnd, bar == kVerticalBar ? SB_VERT : SB_HORZ, &si, TRUE);
}

void refresh_view(App& app) {
  repaint(app);
  set_scroll_pos(app, kVerticalBar, app.paper.scroll_y);
  set_scroll_pos(app, kHorizontalBar, app.paper.scroll_x);
}

}  // namespace morvane
