// How the sheet is shown in the view: the copy rectangles of the two view
// modes and the displayed sheet height that the head-position bar follows.
#pragma once

#include <cstdint>

namespace morvane {

struct ViewCopy {
  // Source rectangle on the sheet and destination rectangle in the window.
  std::int32_t src_x = 0, src_y = 0, src_w = 0, src_h = 0;
  std::int32_t dst_x = 0, dst_y = 0, dst_w = 0, dst_h = 0;
  bool stretch = false;            // a scaled copy (fit to window)
  std::uint32_t shown_height = 0;  // displayed sheet height in window pixels
};

// view_mode 1: original size, a client-sized block from the scroll position;
// anything else: the whole sheet fitted into the client area at one scale
// for both directions.
ViewCopy view_copy(std::int32_t view_mode, std::uint32_t client_w, std::uint32_t client_h,
                   std::uint32_t sheet_w, std::uint32_t sheet_h, std::uint32_t scroll_x,
                   std::uint32_t scroll_y);

}  // namespace morvane
