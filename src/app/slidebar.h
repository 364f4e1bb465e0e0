// The head-position bar beside the paper window: tick lines for the sheet's
// text lines and a marker at the print line, scaled and scrolled like the
// sheet. Dragging the marker to another line moves the print position of
// both pages there.
#pragma once

#include <windows.h>

#include <cstdint>

#include "view/view_geometry.h"

namespace morvane {

struct App;

inline constexpr const char* kSlidebarClass = "Slidebar";

// The arguments of the last draw_bar, so that a repaint the platform asks
// for shows the same picture.
struct BarDrawing {
  bool valid = false;
  ViewMode view_mode = ViewMode::fit_to_window;
  std::uint32_t sheet_height = 0;
  std::uint32_t line_height = 0;
  std::uint32_t line = 0;
};

struct SlidebarState {
  std::uint32_t marker_y = 0;      // the marker's tip in bar units, as last drawn
  std::uint32_t shown_height = 0;  // the displayed sheet height the bar was sized for
  std::uint8_t dragging = 0;
  BarDrawing last;
};

// Takes the bar's width from SM_CXVSCROLL and registers the class.
ATOM register_slidebar_class(App& app, HINSTANCE instance);
HWND create_slidebar(App& app, HWND parent, HINSTANCE instance, int height);
void draw_bar(App& app, ViewMode view_mode, std::uint32_t sheet_height,
              std::uint32_t shown_height, std::uint32_t line_height, std::uint32_t line);

}  // namespace morvane
