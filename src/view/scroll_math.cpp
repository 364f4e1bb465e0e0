#include "view/scroll_math.h"

#include <algorithm>

namespace morvane {

namespace {

// Adds a step without wrapping past the sheet: positions stay within 32 bits.
std::uint32_t forward(std::uint32_t pos, std::int64_t step, std::uint32_t limit) {
  const std::int64_t next = static_cast<std::int64_t>(pos) + step;
  return next < static_cast<std::int64_t>(limit) ? static_cast<std::uint32_t>(next) : limit;
}

}  // namespace

std::uint32_t scroll_position(int request, std::uint32_t pos, std::uint32_t line,
                              std::int32_t page, std::uint32_t limit, std::int32_t thumb) {
  switch (static_cast<ScrollRequest>(request)) {
    case ScrollRequest::line_up:
      return pos <= line ? 0 : pos - line;
    case ScrollRequest::line_down:
      return forward(pos, line, limit);
    case ScrollRequest::page_up:
      // The client extent is compared as a signed value.
      return static_cast<std::int64_t>(static_cast<std::int32_t>(pos)) <= page
                 ? 0
                 : pos - static_cast<std::uint32_t>(page);
    case ScrollRequest::page_down:
      return forward(pos, page, limit);
    case ScrollRequest::thumb_track:
      // The thumb comes as a sign-extended 16-bit value: a negative or
      // oversized one never becomes a position outside the sheet.
      if (thumb < 0) return 0;
      return static_cast<std::uint32_t>(thumb) < limit ? static_cast<std::uint32_t>(thumb) : limit;
    case ScrollRequest::thumb_position:
    default:
      return pos;
  }
}

ScrollBarSetup scroll_bar_setup(std::int32_t view, std::uint32_t extent, std::uint32_t pos) {
  constexpr std::uint32_t kIntMax = 0x7FFFFFFF;
  ScrollBarSetup s;
  s.page = view > 0 ? static_cast<std::uint32_t>(view) : 0;
  // The platform counts max - min + 1 units: a sheet of `extent` units ends
  // at extent - 1, so a view exactly as large as the sheet has no travel.
  s.max = static_cast<std::int32_t>(extent > 0 ? std::min(extent - 1, kIntMax) : 0);
  s.pos = static_cast<std::int32_t>(std::min(pos, kIntMax));
  s.enabled = extent > s.page;
  return s;
}

}  // namespace morvane
