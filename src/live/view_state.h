// What the sheet view and the head-position bar beside it share: the view
// mode and the scroll position of the original-size view.
#pragma once

#include <cstdint>

#include "view/view_geometry.h"

namespace morvane::live {

struct ViewState {
  ViewMode view_mode = ViewMode::fit_to_window;
  std::uint32_t scroll_x = 0;  // the sheet pixel at the view's top-left corner (original size)
  std::uint32_t scroll_y = 0;
};

// The head-position bar's width, and how far its top stands above the sheet's.
inline constexpr int kBarWidth = 17;
inline constexpr int kBarAbove = 10;

}  // namespace morvane::live
