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
#include "page/commands.h"
#include "page/printing.h"
#include "app/paper_window.h"

namespace morvane {

namespace {

// Runs one of the page's own commands inside the engine. Commands are
// ignored while the engine is busy: a nested feed would write into the spool
// file that a page end is replaying.
template <typename F>
void page_command(App& app, F&& command) {
  if (engine_busy(app)) return;
  in_engine(app, [&] { command(app.engine); });
  refresh_toolbar(app);
}

void toggle_printer(App& app, HWND hwnd) {
  // The page being printed was started with the printer on.
  if (engine_busy(app)) return;
  set_printer_enabled(app.engine, !app.engine.print.printer_enabled());
  update_menu_marks(app, hwnd);
  update_title(app, hwnd);
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

void change_view(App& app, HWND hwnd, ViewMode mode) {
  app.paper.view_mode = mode;
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
    case IDM_ORIGINAL_SIZE: change_view(app, hwnd, ViewMode::original_size); break;
    case IDM_FIT_TO_WINDOW: change_view(app, hwnd, ViewMode::fit_to_window); break;
    case IDM_BROTHER:
      page_command(app, [](Engine& e) { select_emulation(e, Emulation::dot_matrix); });
      break;
    case IDM_SONY:
      page_command(app, [](Engine& e) { select_emulation(e, Emulation::plotter); });
      break;
    case IDM_ENABLE_PRINTER: toggle_printer(app, hwnd); break;
    case IDM_CLOSE_AFTER_PAGE:
      set_close_document(app.engine, !app.engine.print.close_document());
      update_menu_marks(app, hwnd);
      break;
    case IDM_PRINT_PAGE_NOW: page_command(app, print_page_now); break;
    case IDM_CLOSE_DOCUMENT_NOW: page_command(app, close_document_now); break;
    case IDM_PRINTER_SETUP:
      if (engine_busy(app)) break;  // a new printer replaces the one printing
      select_printer(app, hwnd);
      break;
    case IDM_CLEAR_PAGE: page_command(app, clear_page_now); break;
    case IDM_PEN_BLACK: page_command(app, [](Engine& e) { select_pen(e, kBlackPen); }); break;
    case IDM_PEN_BLUE: page_command(app, [](Engine& e) { select_pen(e, kBluePen); }); break;
    case IDM_PEN_GREEN: page_command(app, [](Engine& e) { select_pen(e, kGreenPen); }); break;
    case IDM_PEN_RED: page_command(app, [](Engine& e) { select_pen(e, kRedPen); }); break;
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
  for (const MenuMark& m : menu_marks(app.paper.view_mode, e.interp.emulation, e.print.printer_enabled(),
                                      e.print.close_document(), e.screen.plotter.pen_color, engine_busy(app))) {
    const auto id = static_cast<UINT>(m.id);
    if (m.sets_check) CheckMenuItem(menu, id, MF_BYCOMMAND | (m.checked ? MF_CHECKED : MF_UNCHECKED));
    if (m.sets_enable)
      EnableMenuItem(menu, id, MF_BYCOMMAND | (m.enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
  }
}

void update_title(App& app, HWND hwnd) {
  Settings s = app.settings;
  s.com = app.port_index;
  store_port_settings(s, app.serial_port.port_settings());
  // A port whose device has gone (a USB adapter pulled out) stays selected,
  // silently, as a failed read does; the title alone says so.
  app.port_lost_shown = app.serial_port.port_lost();
  const std::string port = format_port_description(s) + (app.port_lost_shown ? " (lost)" : "");
  const std::string text = title_text(app.main.title, app.port_index, port, app.settings.lyn,
                                      app.engine.print.printer_enabled());
  SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace morvane
