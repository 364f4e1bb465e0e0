#include "app/commands.h"

#include <shellapi.h>

#include <string>

#include "app/about.h"
#include "app/app.h"
#include "app/dialogs.h"
#include "app/shell_text.h"
#include "app/toolbar.h"
#include "config/port_labels.h"
#include "menu_ids.h"
#include "page/feed.h"
#include "page/page_record.h"
#include "page/printing.h"
#include "app/paper_window.h"

namespace morvane {

namespace {

// Feeds bytes as if they had been received. Commands that feed the page are
// ignored while the engine is busy: a nested feed would write into the spool
// file that a page end is replaying.
void feed_command(App& app, const std::string& bytes) {
  if (engine_busy(app)) return;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  in_engine(app, [&] { feed_screen(app.engine, bytes.empty() ? nullptr : data, bytes.size()); });
}

void toggle_printer(App& app, HWND hwnd) {
  // The page being printed was started with the printer on.
  if (engine_busy(app)) return;
  app.engine.printer_enabled = app.engine.printer_enabled == 0 ? 1 : 0;
  update_menu_marks(app, hwnd);
  update_title(app, hwnd);
  refresh_toolbar(app);
}

void print_page_now(App& app) {
  feed_command(app, "\x0C");
  refresh_toolbar(app);
}

void close_document_now(App& app) {
  if (engine_busy(app)) return;
  if (app.engine.screen.dirty) feed_command(app, "\x0C");
  in_engine(app, [&] { end_printer_page(app.engine, 3); });
  refresh_toolbar(app);
}

void clear_page_command(App& app) {
  feed_command(app, std::string());
  refresh_toolbar(app);
}

void choose_emulation(App& app, int n) {
  // A replay in progress is interpreted by the emulation it started with.
  if (engine_busy(app)) return;
  select_emulation(app.engine, static_cast<Emulation>(n));
  refresh_toolbar(app);
}

void select_pen(App& app, int n) {
  feed_command(app, pen_command(n, app.engine.screen.plotter.graphic_mode != 0));
  refresh_toolbar(app);
}

void show_about(HWND hwnd) {
  MessageBoxA(hwnd, about_text().c_str(), "Morvane", MB_OK);
}

std::string directory_of_program() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  std::string dir(path, n);
  const auto cut = dir.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : dir.substr(0, cut + 1);
}

// The help file in the working directory opens in the system's help viewer.
// Current systems have no viewer for that format, so without that file the
// program's own help page beside the program opens instead.
void show_help(HWND hwnd) {
  char cwd[300];
  const DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  const std::string dir = n > 0 && n < sizeof cwd ? std::string(cwd, n) : std::string();
  const std::string hlp = help_file_path(dir);
  if (GetFileAttributesA(hlp.c_str()) != INVALID_FILE_ATTRIBUTES) {
    WinHelpA(hwnd, hlp.c_str(), HELP_CONTENTS, 0);
    return;
  }
  const std::string page = directory_of_program() + "morvane.html";
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(hwnd, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) {
    const std::string text = "Can't open help file <" + page + ">";
    MessageBoxA(hwnd, text.c_str(), "Morvane", MB_OK | MB_ICONWARNING);
  }
}

void change_view(App& app, HWND hwnd, int mode) {
  app.engine.view_mode = mode;
  update_scroll_bars(app);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void run_menu_command(App& app, HWND hwnd, int id) {
  switch (id) {
    case IDM_HELP: show_help(hwnd); break;
    case IDM_ABOUT: show_about(hwnd); break;
    case IDM_CONNECTION_SETUP:
      if (engine_busy(app)) break;
      run_connection_setup(app, hwnd);
      update_title(app, hwnd);
      break;
    case IDM_CONNECTION_STATUS: show_serial_port_status(app, hwnd); break;
    case IDM_PAGE_SETUP:
      if (engine_busy(app)) break;  // a new font discards the sheet
      run_page_setup(app, hwnd);
      update_scroll_bars(app);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case IDM_ORIGINAL_SIZE: change_view(app, hwnd, 1); break;
    case IDM_FIT_TO_WINDOW: change_view(app, hwnd, 0); break;
    case IDM_BROTHER: choose_emulation(app, 0); break;
    case IDM_SONY: choose_emulation(app, 1); break;
    case IDM_ENABLE_PRINTER: toggle_printer(app, hwnd); break;
    case IDM_CLOSE_AFTER_PAGE:
      app.engine.close_document = app.engine.close_document == 0 ? 1 : 0;
      update_menu_marks(app, hwnd);
      break;
    case IDM_PRINT_PAGE_NOW: print_page_now(app); break;
    case IDM_CLOSE_DOCUMENT_NOW: close_document_now(app); break;
    case IDM_PRINTER_SETUP:
      if (engine_busy(app)) break;  // a new printer replaces the one printing
      select_printer(app, hwnd);
      break;
    case IDM_CLEAR_PAGE: clear_page_command(app); break;
    case IDM_PEN_BLACK: select_pen(app, 0); break;
    case IDM_PEN_BLUE: select_pen(app, 1); break;
    case IDM_PEN_GREEN: select_pen(app, 2); break;
    case IDM_PEN_RED: select_pen(app, 3); break;
    default: break;
  }
}

}  // namespace

void dispatch_command(App& app, HWND hwnd, WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  if (lparam != 0) {
    // A toolbar button: clicks only, and no button keeps the focus.
    const int command = toolbar_command(id);
    if (HIWORD(wparam) == BN_CLICKED && command != 0) run_menu_command(app, hwnd, command);
    SetFocus(nullptr);
    return;
  }
  run_menu_command(app, hwnd, id);
}

void update_menu_marks(App& app, HWND hwnd) {
  HMENU menu = GetMenu(hwnd);
  if (!menu) return;
  const Engine& e = app.engine;
  for (const MenuMark& m : menu_marks(e.view_mode, static_cast<std::int32_t>(e.interp.emulation),
                                      e.printer_enabled, e.close_document,
                                      e.screen.plotter.pen_color, engine_busy(app))) {
    const auto id = static_cast<UINT>(m.id);
    if (m.sets_check) CheckMenuItem(menu, id, MF_BYCOMMAND | (m.checked ? MF_CHECKED : MF_UNCHECKED));
    if (m.sets_enable)
      EnableMenuItem(menu, id, MF_BYCOMMAND | (m.enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
  }
}

void update_title(App& app, HWND hwnd) {
  Settings s = app.settings;
  s.com = app.port_index;
  const PortSettings p = app.serial_port.port_settings();
  s.baudrate = p.baudrate;
  s.bytesize = p.bytesize;
  s.parity = p.parity;
  s.stopbits = p.stopbits;
  s.flowctrl = p.flowctrl;
  const std::string text = title_text(app.main.title, app.port_index, format_port_description(s),
                                      app.settings.lyn, app.engine.printer_enabled != 0);
  SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace morvane
