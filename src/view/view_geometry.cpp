#include "view/view_geometry.h"

namespace morvane {

ViewMode view_mode_of_setting(std::int32_t printerview) {
  return printerview == 1 ? ViewMode::original_size : ViewMode::fit_to_window;
}

std::int32_t setting_of_view_mode(ViewMode mode) { return mode == ViewMode::original_size ? 1 : 0; }

ViewCopy view_copy(ViewMode mode, std::uint32_t cw, std::uint32_t ch, std::uint32_t w,
                   std::uint32_t h, std::uint32_t scroll_x, std::uint32_t scroll_y) {
  ViewCopy v;
  if (mode == ViewMode::original_size) {
    v.src_x = static_cast<std::int32_t>(scroll_x);
    v.src_y = static_cast<std::int32_t>(scroll_y);
    v.src_w = v.dst_w = static_cast<std::int32_t>(cw);
    v.src_h = v.dst_h = static_cast<std::int32_t>(ch);
    v.shown_height = ch;
    return v;
  }
  v.stretch = true;
  v.src_w = static_cast<std::int32_t>(w);
  v.src_h = static_cast<std::int32_t>(h);
  std::uint32_t dw = 0, dh = 0;
  if (w != 0 && h != 0) {
    // The smaller of the two scales, so that the whole sheet is in view: a
    // landscape sheet in a wide window is limited by the height, too.
    if (static_cast<std::uint64_t>(w) * ch <= static_cast<std::uint64_t>(h) * cw) {
      dh = ch;
      dw = static_cast<std::uint32_t>(static_cast<std::uint64_t>(w) * ch / h);
    } else {
      dw = cw;
      dh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(h) * cw / w);
    }
  }
  v.dst_w = static_cast<std::int32_t>(dw);
  v.dst_h = static_cast<std::int32_t>(dh);
  v.shown_height = dh;
  return v;
}

}  // namespace morvane
