// How the sheet is shown in the view: the copy rectangles of the two view
// modes and the displayed sheet height that the head-position bar follows.
#pragma once

#include <cstdint>

namespace morvane {

// How the view shows the sheet: whole, fitted into the window, or at one
// pixel per page unit from a scroll position.
enum class ViewMode : std::uint8_t { fit_to_window, original_size };

// The mode a "printerview" setting stands for: 1 original size, any other
// value fit to window, so that the sheet, the scroll bars, the bar and the
// menu marks all follow one mode. And the setting a mode is saved as.
ViewMode view_mode_of_setting(std::int32_t printerview);
std::int32_t setting_of_view_mode(ViewMode mode);

struct ViewCopy {
  // Source rectangle on the sheet and destination rectangle in the window.
  std::int32_t src_x = 0, src_y = 0, src_w = 0, src_h = 0;
  std::int32_t dst_x = 0, dst_y = 0, dst_w = 0, dst_h = 0;
  bool stretch = false;            // a scaled copy (fit to window)
  std::uint32_t shown_height = 0;  // displayed sheet height in window pixels
};

// Original size: a client-sized block from the scroll position. Fit to
// window: the whole sheet fitted into the client area at one scale for both
// directions.
ViewCopy view_copy(ViewMode mode, std::uint32_t client_w, std::uint32_t client_h,
                   std::uint32_t sheet_w, std::uint32_t sheet_h, std::uint32_t scroll_x,
                   std::uint32_t scroll_y);

}  // namespace morvane
