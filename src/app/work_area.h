// Where the main window opens: at its saved place while the user can still
// reach its caption there, otherwise on a work area (a saved place can lie
// on a monitor that has since been removed).
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/placement.h"

namespace morvane {

// How much of the caption must lie on one work area for the window to be
// dragged back by it: this wide, and half the caption high.
inline constexpr std::int32_t kReachableCaptionWidth = 48;

// True when a strip of the caption kReachableCaptionWidth wide (the whole
// caption when narrower) and at least half its height lies on `work`.
bool caption_reachable(const ScreenBox& window, std::int32_t caption_height, const ScreenBox& work);

// The window's box, unchanged when its caption is reachable on one of the
// work areas; otherwise moved, size kept, onto the work area it overlaps most
// (the nearest one when it overlaps none), as little as needed to lie within
// it, a window larger than the work area with its top-left corner on it.
// Unchanged when there are no work areas.
ScreenBox kept_on_work_area(const ScreenBox& window, std::int32_t caption_height,
                            const std::vector<ScreenBox>& work_areas);

}  // namespace morvane
