// Scroll arithmetic of the paper window, free of the window system so that
// it can be checked on its own.
#pragma once

#include <cstdint>

namespace morvane {

// The scroll bar request codes, with the window system's values.
enum class ScrollRequest : int {
  line_up = 0,         // SB_LINEUP
  line_down = 1,       // SB_LINEDOWN
  page_up = 2,         // SB_PAGEUP
  page_down = 3,       // SB_PAGEDOWN
  thumb_position = 4,  // SB_THUMBPOSITION
  thumb_track = 5,     // SB_THUMBTRACK
};

// One scroll request on one axis. `pos` is the current scroll position,
// `line` a line step (line height or character width), `page` the client
// extent, `limit` the sheet extent and `thumb` the thumb position the request
// carries. The position may reach `limit` itself, which scrolls the sheet out
// of view; a thumb position is kept within 0..limit.
std::uint32_t scroll_position(int request, std::uint32_t pos, std::uint32_t line,
                              std::int32_t page, std::uint32_t limit, std::int32_t thumb);

// One scroll bar of the original-size view: the sheet's `extent` along it
// seen through `view` window pixels from `pos`.
struct ScrollBarSetup {
  std::int32_t max = 0;    // the range 0..max holds the sheet's extent units
  std::uint32_t page = 0;  // the view's extent
  std::int32_t pos = 0;
  bool enabled = false;    // only a sheet larger than the view can scroll
};

ScrollBarSetup scroll_bar_setup(std::int32_t view, std::uint32_t extent, std::uint32_t pos);

}  // namespace morvane
