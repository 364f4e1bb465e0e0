// Start-up of the Windows program: paths, system values, window classes,
// settings, the main window and its children, the message loop, and the
// settings saved at the end.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/shell_text.h"
#include "app/splash.h"
#include "app/work_area.h"
#include "config/paths.h"
#include "config/win32_profile.h"
#include "page/commands.h"
#include "app/paper_window.h"
#include "app/slidebar.h"

namespace morvane {

namespace {

constexpr int kExitFailure = 1;

// The working directory with a trailing backslash; empty when it cannot be read.
std::string working_directory() {
  char cwd[300];
  const DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  if (n == 0 || n >= sizeof cwd) return {};
  return path_in_directory(std::string(cwd, n), "", '\\');
}

std::int32_t query_os_version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = GetVersionExA(&info);
#pragma GCC diagnostic pop
  if (!ok) return 0;
  return static_cast<std::int32_t>(info.dwPlatformId + info.dwMinorVersion * 100 +
                                   info.dwMajorVersion * 10000);
}

FrameMetrics query_frame_metrics() {
  FrameMetrics f;
  f.cx_frame2 = 2 * GetSystemMetrics(SM_CXFRAME);
  f.cy_frame2 = 2 * GetSystemMetrics(SM_CYFRAME);
  f.cy_caption = GetSystemMetrics(SM_CYCAPTION);
  f.cy_menu = GetSystemMetrics(SM_CYMENU);
  return f;
}

// The spool file is this program's while it runs, held against others. A
// second program started in the same folder would spool into it, so that
// each would print the other's bytes (and both write the same settings file
// at exit): it says which program has the folder and ends before it starts.
// Any other failure is told at the first page that cannot be spooled.
bool take_spool_file(App& app) {
  unsigned long holder = 0;
  const std::string path = app.program_dir + kSpoolFileName;
  if (hold_spool_file(app.engine, path, holder) || !app.engine.spool.failure().in_use) return true;
  MessageBoxA(nullptr, folder_in_use_text(app.program_dir, holder).c_str(), "Morvane",
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  return false;
}

bool register_classes(App& app) {
  return register_main_class(app.instance) != 0 &&
         register_slidebar_class(app, app.instance) != 0 &&
         register_paper_class(app.instance) != 0;
}

void load_settings_if_present(App& app) {
  if (GetFileAttributesA(app.settings_path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    Win32Profile profile(app.settings_path);
    load_settings(profile, app.settings);
  }
  apply_settings(app);
}

HWND create_main_window(App& app) {
  const MainWindowRecord& m = app.main;
  const FrameMetrics& f = app.frame;
  return CreateWindowExA(WS_EX_CLIENTEDGE, kMainClass, m.title.c_str(),
                         WS_OVERLAPPED | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, m.left,
                         m.top, m.width + f.cx_frame2, m.height + f.cy_menu + f.cy_caption + f.cy_frame2,
                         nullptr, nullptr, app.instance, &app);
}

BOOL CALLBACK collect_work_area(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<ScreenBox>*>(areas)->push_back({r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

// A saved place on a monitor that is no longer there opens the window on a
// work area instead; the place saved at exit is then that one.
void keep_on_work_area(const App& app, HWND hwnd) {
  std::vector<ScreenBox> areas;
  EnumDisplayMonitors(nullptr, nullptr, collect_work_area, reinterpret_cast<LPARAM>(&areas));
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return;
  const ScreenBox was{r.left, r.top, r.right, r.bottom};
  const ScreenBox now = kept_on_work_area(was, app.frame.cy_caption, areas);
  if (now.left != was.left || now.top != was.top)
    SetWindowPos(hwnd, nullptr, now.left, now.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void create_children(App& app, HWND hwnd) {
  HMENU system_menu = GetSystemMenu(hwnd, FALSE);
  DeleteMenu(system_menu, SC_RESTORE, MF_BYCOMMAND);
  DeleteMenu(system_menu, SC_MAXIMIZE, MF_BYCOMMAND);
  create_slidebar(app, hwnd, app.instance, app.main.height);
  RECT r{};
  GetClientRect(hwnd, &r);
  create_paper_window(app, hwnd, app.instance, app.bar.width, kToolbarHeight,
                      r.right - app.bar.width, r.bottom - kToolbarHeight);
  app.main.hwnd = hwnd;
}

void run_message_loop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int run(HINSTANCE instance) {
  auto app = std::make_unique<App>();
  app->instance = instance;
  app->program_dir = working_directory();
  set_platform_version(app->engine, query_os_version());
  app->frame = query_frame_metrics();

  int code = kExitFailure;
  if (take_spool_file(*app) && register_classes(*app)) {
    app->settings_path = app->program_dir + kSettingsFileName;
    load_settings_if_present(*app);
    HWND hwnd = create_main_window(*app);
    if (hwnd) {
      keep_on_work_area(*app, hwnd);
      create_children(*app, hwnd);
      show_splash_screen(*app, hwnd);
      ShowWindow(hwnd, SW_SHOWNORMAL);
      UpdateWindow(hwnd);
      update_title(*app, hwnd);
      update_scroll_bars(*app);
      run_message_loop();
      collect_settings(*app);
      Win32Profile profile(app->settings_path);
      save_settings(profile, app->settings);
      code = 0;
    }
  }
  app->serial_line.close_serial_line();
  return code;
}

}  // namespace

}  // namespace morvane

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return morvane::run(instance); }
