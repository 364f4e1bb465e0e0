#include "app/main_window.h"

#include "app/app.h"
#include "app/commands.h"
#include "app/dialogs.h"
#include "app/shell_text.h"
#include "app/splash.h"
#include "app/toolbar.h"
#include "menu_ids.h"
#include "page/feed.h"
#include "page/commands.h"
#include "page/printing.h"
#include "app/paper_window.h"

namespace morvane {

namespace {

LRESULT on_create(App& app, HWND hwnd) {
  app.background_brush = CreateSolidBrush(app.background_color);
  SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(app.background_brush));
  // Every printer made from now on shows its progress window over this one.
  app.printers.set_owner(hwnd);
  create_toolbar(app, hwnd);
  load_toolbar_icons(app);
  if (SetTimer(hwnd, kPollTimer, kPollMs, nullptr) == 0) {
    MessageBoxA(hwnd, "No Timer", "Error", MB_OK);
    return -1;
  }
  if (app.port_index == 0) {
    app.serial_line.open_serial_line(app.settings.lyn);
    // A hand-edited "lyn" of 0 keeps the line's own number: the title and the
    // settings file then name the line actually opened.
    app.settings.lyn = app.serial_line.state().line_number;
  }
  app.serial_port.set_port_settings(port_settings_of(app.settings));
  app.port_index = app.serial_port.select_serial_port(app.port_index);
  return 0;
}

void record_placement(App& app, HWND hwnd) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(hwnd, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  const FrameMetrics& f = app.frame;
  app.main.left = r.left;
  app.main.top = r.top;
  app.main.width = r.right - r.left - f.cx_frame2;
  app.main.height = r.bottom - r.top - f.cy_menu - f.cy_caption - f.cy_frame2;
}

void on_destroy(App& app, HWND hwnd) {
  record_placement(app, hwnd);
  SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND,
                   reinterpret_cast<LONG_PTR>(GetStockObject(WHITE_BRUSH)));
  restore_toolbar_procedures(app);
  // The document, the sheet, the printer's context, and the spool file of
  // an unfinished page.
  end_run(app.engine);
  app.serial_port.close_serial_port();
  free_printer_selection(app);
  DeleteObject(app.background_brush);
  app.background_brush = nullptr;
  KillTimer(hwnd, kPollTimer);
  PostQuitMessage(0);
}

void on_layout(App& app, HWND hwnd) {
  if (!app.paper.hwnd) return;  // still being created
  place_paper_window(app, hwnd, app.bar.width, kToolbarHeight);
  update_scroll_bars(app);
}

void on_minmax(const App& app, MINMAXINFO* mm) {
  const FrameMetrics& f = app.frame;
  mm->ptMinTrackSize.x = 360;
  mm->ptMinTrackSize.y = f.cy_menu + f.cy_caption + 2 * f.cy_frame2 + 60;
  mm->ptMaxTrackSize.x = 2048;
  mm->ptMaxTrackSize.y = 1024;
}

// One tick: the port first, the serial line when the port gave nothing. While
// the engine is busy (a page is being printed) nothing is read, so the bytes
// wait at their channel.
void input_poll(App& app, HWND hwnd) {
  if (!engine_busy(app)) {
    InputChannel* const channels[] = {&app.port_channel, &app.line_channel};
    const std::size_t count = poll_channels(channels, app.receive_buffer, kPollBytes);
    if (count > 0) in_engine(app, [&] { feed_screen(app.engine, app.receive_buffer, count); });
  }
  const int status = app.serial_port.get_port_modem_status();
  if (status != -1) update_serial_port_status(app, status, app.serial_port.state().output_lines);
  if (app.serial_port.port_lost() != app.port_lost_shown) update_title(app, hwnd);
  check_splash_timeout(app);
  if (app.close_requested && !engine_busy(app)) {
    app.close_requested = false;
    DestroyWindow(hwnd);
  }
}

LRESULT handle(App& app, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
      return on_create(app, hwnd);
    case WM_DESTROY:
      on_destroy(app, hwnd);
      return 0;
    case WM_CLOSE:
      // Closing tears down the printer and the sheet: never under a running
      // feed or print; the next idle tick closes instead.
      if (engine_busy(app)) {
        app.close_requested = true;
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wparam, lparam);
    case WM_MOVE:
    case WM_SIZE:
      on_layout(app, hwnd);
      return 0;
    case WM_GETMINMAXINFO:
      on_minmax(app, reinterpret_cast<MINMAXINFO*>(lparam));
      return 0;
    case WM_DRAWITEM:
      draw_toolbar_button(app, reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return 0;
    case WM_COMMAND:
      dispatch_command(app, hwnd, wparam, lparam);
      return 0;
    case WM_TIMER:
      input_poll(app, hwnd);
      return 0;
    case WM_INITMENU:
      update_menu_marks(app, hwnd);
      return 0;
    case kDocumentNotCancelled:
      MessageBoxA(hwnd, kNotCancelledText, "Morvane", MB_OK | MB_ICONWARNING);
      return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetBkColor(dc, app.background_color);
      SetTextColor(dc, kTextColor);
      return reinterpret_cast<LRESULT>(app.background_brush);
    }
    default:
      return DefWindowProcA(hwnd, msg, wparam, lparam);
  }
}

LRESULT CALLBACK main_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) attach_app(hwnd, lparam);
  App* app = app_of(hwnd);
  // WM_GETMINMAXINFO comes before WM_NCCREATE: the system's limits then.
  if (!app) return DefWindowProcA(hwnd, msg, wparam, lparam);
  return handle(*app, hwnd, msg, wparam, lparam);
}

}  // namespace

ATOM register_main_class(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = main_procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MORVANE));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszMenuName = "MENU_MORVANE";
  wc.lpszClassName = kMainClass;
  return RegisterClassA(&wc);
}

void apply_settings(App& app) {
  const Settings& s = app.settings;
  app.main.left = s.left;
  app.main.top = s.top;
  app.main.width = s.width;
  app.main.height = s.height;
  app.main.open = s.open;
  app.port_index = s.com;
  app.paper.view_mode = view_mode_of_setting(s.printerview);
  configure_engine(app.engine, s);
}

void collect_settings(App& app) {
  Settings& s = app.settings;
  s.left = app.main.left;
  s.top = app.main.top;
  s.width = app.main.width;
  s.height = app.main.height;
  s.open = app.main.open;
  s.com = app.port_index;
  s.printertype = static_cast<std::int32_t>(app.engine.interp.emulation);
  s.printerview = setting_of_view_mode(app.paper.view_mode);
  s.printerenable = app.engine.print.printer_enabled() ? 1 : 0;
  s.closedocument = app.engine.print.close_document() ? 1 : 0;
  store_port_settings(s, app.serial_port.port_settings());
}

}  // namespace morvane
