// The head-position bar of the live window: a yellow strip left of the
// sheet with a tick line per text line and a marker at the print line,
// scaled and scrolled like the sheet. Dragging the marker to another line
// moves the print position of both pages there, as in the desktop program.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "live/view_state.h"
#include "view/sheet_layout.h"

namespace morvane {

struct Engine;

namespace live {

class BarView {
 public:
  // `layout` tells how the sheet lies in its view now; `scrolled_to_top` is
  // called when a press in the fitted view puts the scroll position back to
  // the top, as the desktop program's bar does.
  BarView(ViewState& state, Engine& engine, std::function<SheetLayout()> layout,
          std::function<void()> scrolled_to_top);
  BarView(const BarView&) = delete;
  BarView& operator=(const BarView&) = delete;

  GtkWidget* widget() const { return area_; }
  // Draws the bar again when what it shows has changed.
  void refresh();

 private:
  struct Shown {
    bool drawn = false;  // what the bar shows; false before it is first drawn
    ViewMode view_mode = ViewMode::fit_to_window;
    std::uint32_t sheet_height = 0, shown_height = 0, scroll_y = 0, line_height = 0;
    std::uint32_t line = 0, margin_top = 0, margin_bottom = 0;
    bool operator==(const Shown&) const = default;
  };

  Shown wanted() const;
  std::uint32_t shown_line() const;
  std::uint32_t marker_y() const;
  void draw(cairo_t* cr, int width, int height);
  void press(double y);
  void move(double y);
  void release();

  ViewState& state_;
  Engine& engine_;
  std::function<SheetLayout()> layout_;
  std::function<void()> scrolled_to_top_;
  GtkWidget* area_ = nullptr;
  GtkGesture* drag_ = nullptr;
  Shown shown_;
  bool dragging_ = false;
  std::uint32_t drag_line_ = 0;
};

}  // namespace live
}  // namespace morvane
