#include "view/scroll_math.h"

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

}  // namespace morvane
