// The colours of the program's window, the same in every shell (0x00BBGGRR,
// as Color and the desktop program's COLORREF hold them).
#pragma once

#include "gfx/surface.h"

namespace morvane {

// The light grey around the sheet and the toolbar's buttons, of the margin
// frame on the screen page and of the head-position bar's marker.
inline constexpr Color kViewGrey = rgb(198, 195, 198);

// The head-position bar.
inline constexpr Color kBarYellow = rgb(255, 255, 0);

}  // namespace morvane
