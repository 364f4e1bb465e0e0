#include "view/bar_math.h"

namespace morvane {

namespace {

// a - b - c, or 0 where the unsigned result would wrap around.
std::uint32_t minus_or_zero(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  const std::uint64_t taken = std::uint64_t{b} + c;
  return a > taken ? static_cast<std::uint32_t>(a - taken) : 0;
}

}  // namespace

std::uint32_t marker_limit(const PageState& screen) {
  return minus_or_zero(screen.paper_height, screen.line_height, screen.margin_bottom);
}

std::vector<std::uint32_t> tick_positions(const PageState& screen, std::uint32_t sheet_height,
                                          std::uint32_t lh) {
  std::vector<std::uint32_t> ticks;
  if (lh == 0) return ticks;
  const std::uint64_t end = minus_or_zero(sheet_height, screen.line_height, screen.margin_bottom);
  for (std::uint64_t y = std::uint64_t{screen.margin_top} + kBarOffset; y < end; y += lh)
    ticks.push_back(static_cast<std::uint32_t>(y));
  return ticks;
}

std::uint32_t marker_position(const PageState& screen, std::uint32_t lh, std::uint32_t n) {
  // 64 bits: a huge line count must land at the bottom, not wrap to the top.
  std::uint64_t f = std::uint64_t{lh} * n + screen.margin_top + kBarOffset;
  if (f < screen.margin_top) f = screen.margin_top;
  const std::uint32_t limit = marker_limit(screen);
  if (f > limit) f = limit;
  return static_cast<std::uint32_t>(f);
}

std::array<BarPoint, 7> marker_outline(std::uint32_t f, std::int32_t width) {
  const std::int32_t half = width / 2;
  const auto y = static_cast<std::int32_t>(f);
  return {{{0, y},
           {0, y - half},
           {half, y - half},
           {width, y},
           {half, y + half},
           {0, y + half},
           {0, y}}};
}

bool press_grabs_marker(ViewMode mode, std::int32_t y, std::uint32_t sheet_height,
                        std::uint32_t shown_height, std::uint32_t marker_y,
                        std::uint32_t scroll_y) {
  std::int64_t bar_y = y;
  if (mode == ViewMode::fit_to_window) {
    if (shown_height == 0) return false;  // nothing of the sheet is shown
    bar_y = std::int64_t{sheet_height} * y / shown_height;
    scroll_y = 0;
  }
  const std::int64_t tip = std::int64_t{marker_y} - scroll_y;
  return tip - kGrabDistance <= bar_y && bar_y <= tip + kGrabDistance;
}

std::uint32_t drag_position(ViewMode mode, std::int32_t y, std::uint32_t sheet_height,
                            std::uint32_t shown_height, std::uint32_t scroll_y) {
  std::int64_t pos = std::int64_t{y} + scroll_y;
  if (pos < 0) pos = 0;
  if (mode == ViewMode::fit_to_window) {
    if (shown_height == 0) return 0;
    pos = std::int64_t{sheet_height} * pos / shown_height;
  }
  return pos > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(pos);
}

std::uint32_t drag_line(std::uint32_t position, std::uint32_t line_height) {
  return line_height == 0 ? 0 : position / line_height;
}

std::uint32_t release_line(std::uint32_t marker_y, const PageState& screen) {
  if (screen.line_height == 0) return 0;
  return minus_or_zero(marker_y, screen.margin_top, kBarOffset) / screen.line_height;
}

}  // namespace morvane
