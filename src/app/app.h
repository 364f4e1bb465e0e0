// The program-wide record of the Windows program: the page engine and its
// shell hooks, the settings, the input channels, the windows and the values
// start-up fixes. One instance lives in WinMain; the window procedures reach
// it through their windows' user data.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/dialog_state.h"
#include "config/settings.h"
#include "io/channel.h"
#include "page/engine.h"
#include "print/win32/win32_printer.h"
#include "view/view_colors.h"
#include "view/view_geometry.h"
#include "app/splash.h"
#include "app/toolbar.h"
#include "app/slidebar.h"

namespace morvane {

struct App;
class GdiSurface;

// The engine's view of the shell: sheets compatible with the paper window,
// the sheet shown in it, errors in message boxes.
class ShellHooks final : public EngineHooks {
 public:
  explicit ShellHooks(App& app) : app_(app) {}
  std::unique_ptr<Surface> create_sheet(std::uint32_t width, std::uint32_t height) override;
  TextMetrics sheet_text_metrics(const FontDesc& font) override;
  void show_page(Surface& sheet) override;
  void error(const std::string& text, const std::string& caption) override;
  void page_ending(Surface& sheet) override;

 private:
  App& app_;
};

struct MainWindowRecord {
  HWND hwnd = nullptr;
  std::int32_t left = CW_USEDEFAULT;
  std::int32_t top = CW_USEDEFAULT;
  std::int32_t width = 600;   // client area
  std::int32_t height = 432;  // client area
  std::string title = "Morvane";
  std::int32_t open = 0;  // kept for the settings file only
};

// System metrics start-up takes once.
struct FrameMetrics {
  int cx_frame2 = 0;  // 2 x SM_CXFRAME
  int cy_frame2 = 0;  // 2 x SM_CYFRAME
  int cy_caption = 0;
  int cy_menu = 0;
};

struct PaperView {
  HWND hwnd = nullptr;
  ViewMode view_mode = ViewMode::fit_to_window;  // "printerview"
  std::uint32_t scroll_x = 0;
  std::uint32_t scroll_y = 0;
  HDC paint_dc = nullptr;  // the paint context while WM_PAINT draws
};

struct Slidebar {
  HWND hwnd = nullptr;
  int width = 0;  // SM_CXVSCROLL
};

inline constexpr COLORREF kTextColor = 0x840000;
inline constexpr UINT_PTR kPollTimer = 1;
inline constexpr int kToolbarHeight = 30;

struct App {
  App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  HINSTANCE instance = nullptr;
  std::string program_dir;  // the working directory at start, with a trailing backslash
  std::string settings_path;
  FrameMetrics frame;
  COLORREF background_color = kViewGrey;
  COLORREF font_dialog_color = 0;
  HBRUSH background_brush = nullptr;

  Settings settings;
  MainWindowRecord main;
  PaperView paper;
  Slidebar bar;
  SlidebarState slidebar;  // marker, drag and last drawing of the bar
  ToolbarState toolbar;
  SplashState splash;

  ShellHooks hooks;
  Win32PrinterSystem printers;
  Engine engine;
  // The sheet made last, by its type: the engine's sheet while it has one.
  // Null when GDI could not make it (the engine then lays out on a stand-in).
  GdiSurface* sheet = nullptr;

  SerialLine serial_line;
  SerialPort serial_port;
  // The input poll reads the serial port first and the serial line when the
  // port gave nothing; a channel that is not open gives nothing.
  SerialPortChannel port_channel{serial_port};
  SerialLineChannel line_channel{serial_line};
  std::int32_t port_index = 0;  // the "com" setting as the port selection left it
  bool port_lost_shown = false;  // the title says the port's device has gone
  DialogState dialogs;

  std::uint8_t receive_buffer[kPollBytes] = {};

  // Re-entrancy: while the shell is inside the engine (a feed, a repaint, a
  // message box they raise) the modal loops still dispatch timer ticks, paint
  // requests and commands. Those must not enter the engine again.
  int busy = 0;
  bool close_requested = false;  // WM_CLOSE arrived while busy: closed later
};

// True while the engine must not be entered: nested in a feed or a repaint,
// or a finished page is being printed.
bool engine_busy(const App& app);

// Runs f with the busy mark set. Commands greyed while a page was printed
// are shown available again once the engine is left.
template <typename F>
void in_engine(App& app, F&& f) {
  ++app.busy;
  f();
  --app.busy;
  if (app.busy == 0 && app.toolbar.shows_busy) refresh_toolbar(app);
}

// The App a window of this program carries in its user data.
App* app_of(HWND hwnd);
// Stores the App from the creation parameters on WM_NCCREATE.
void attach_app(HWND hwnd, LPARAM create_struct);

}  // namespace morvane
