// The live window of the command-line program: the sheet filling as the
// bytes arrive, the head-position bar, the page commands ("Print page now",
// "Clear page", emulation, pens) and a status line. The program keeps its
// own input poll; between polls it lets the window run, and after a run of
// bytes it hands the window the sheet, which redraws what changed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/image_sheet.h"
#include "view/view_geometry.h"

namespace morvane {

struct Engine;
class DamageSheet;

namespace live {

struct LiveSetup {
  std::string title;
  ViewMode view_mode = ViewMode::fit_to_window;
  std::int32_t width = 600;      // the sheet view's size at the start, in pixels
  std::int32_t height = 432;
};

class LiveWindow {
 public:
  // Whether a window can be opened at all: a display can be reached and the
  // program was built with one. Asked before anything else is started.
  static bool possible(std::string& error);
  // Opens the window over the engine, whose commands its buttons run. Null,
  // with a reason, when no window can be opened: no display, or a program
  // built without one.
  static std::unique_ptr<LiveWindow> open(const LiveSetup& setup, Engine& engine, std::string& error);
  virtual ~LiveWindow() = default;

  // After a run of bytes or a command: the sheet as it stands, `changes`
  // wrapping `image`. The window takes what changed on it and draws that at
  // its next frame; it never draws here.
  virtual void show(DamageSheet& changes, ImageSheet& image) = 0;
  // The sheet is about to go away: nothing of it is read any more.
  virtual void forget_sheet() = 0;
  virtual void set_status(const std::string& text) = 0;
  // The user closed the window.
  virtual bool closed() const = 0;
  // Handles the window's events for `ms` milliseconds, or less once closed.
  virtual void run_for(int ms) = 0;
};

// The window's title: "Morvane - <sources> Printer: Enabled" (or "Disabled"),
// the sources being what the bytes come from.
std::string window_title(const std::string& sources, bool printer_enabled);

// The status line: "2 pages printed, 5120 bytes received" ("ended" when
// nothing is printed), then the last thing the program said, if anything.
std::string status_text(int pages, std::uint64_t bytes, bool printing, const std::string& last);

// The window draws its sheet in software, with GTK's cairo renderer and no
// OpenGL at all: the GL stack alone costs some 130 MB of resident memory
// where the driver is Mesa's software rasteriser, and GTK 4.8's GL renderer
// keeps texture memory for the tiles it was handed, so that a long session
// grows with every page. A renderer the user chose (GSK_RENDERER) is left
// alone. Given the two variables as they are (null: not set), what to set
// them to; `change` false when nothing is to be set.
struct RendererEnvironment {
  bool change = false;
  std::string gsk_renderer;
  std::string gdk_debug;
};
RendererEnvironment software_drawing(const char* gsk_renderer, const char* gdk_debug);

}  // namespace live
}  // namespace morvane
