// The arithmetic of the head-position bar: where the tick lines and the
// print-line marker go, whether a press grabs the marker, which line a drag
// points at and where a drop puts both pages. Bar units are sheet hundredths
// of an inch plus 10 (the bar starts 10 pixels above the paper window).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "layout/page_state.h"
#include "view/view_geometry.h"

namespace morvane {

inline constexpr std::uint32_t kBarOffset = 10;
// A press within this many bar units of the marker's tip grabs it.
inline constexpr std::int64_t kGrabDistance = 10;

struct BarPoint {
  std::int32_t x;
  std::int32_t y;
};

// The lowest position the marker may take on the screen page:
// paper_height - line_height - margin_bottom, 0 when that would go negative.
std::uint32_t marker_limit(const PageState& screen);

// Tick lines from margin_top + 10 every `line_height` (lh) while above
// sheet_height - screen line height - margin_bottom. None when lh is 0.
std::vector<std::uint32_t> tick_positions(const PageState& screen, std::uint32_t sheet_height,
                                          std::uint32_t lh);

// The marker's tip for line n: lh x n + margin_top + 10, held between
// margin_top and marker_limit.
std::uint32_t marker_position(const PageState& screen, std::uint32_t lh, std::uint32_t n);

// The marker's outline, a block with an arrow tip pointing right at f, for a
// bar `width` pixels wide; the last point closes the outline.
std::array<BarPoint, 7> marker_outline(std::uint32_t f, std::int32_t width);

// A press at window y. In the fit-to-window view y is scaled to bar units
// and the paper window's scroll position counts as 0.
bool press_grabs_marker(ViewMode mode, std::int32_t y, std::uint32_t sheet_height,
                        std::uint32_t shown_height, std::uint32_t marker_y,
                        std::uint32_t scroll_y);

// The pointer's position in bar units while dragging (window y plus the
// scroll position, scaled in the fit-to-window view); never negative.
std::uint32_t drag_position(ViewMode mode, std::int32_t y, std::uint32_t sheet_height,
                            std::uint32_t shown_height, std::uint32_t scroll_y);

// The line a drag position points at: position / line_height (0 for a zero line height).
std::uint32_t drag_line(std::uint32_t position, std::uint32_t line_height);

// The line a dropped marker stands for: (marker_y - margin_top - 10) / line_height,
// the top line when the marker sits above the first line.
std::uint32_t release_line(std::uint32_t marker_y, const PageState& screen);

}  // namespace morvane
