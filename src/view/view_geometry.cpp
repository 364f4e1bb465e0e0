#include "view/view_geometry.h"

namespace morvane {

ViewCopy view_copy(std::int32_t view_mode, std::uint32_t cw, std::uint32_t ch, std::uint32_t w,
                   std::uint32_t h, std::uint32_t scroll_x, std::uint32_t scroll_y) {
  ViewCopy v;
  if (view_mode == 1) {
    v.src_x = static_cast<std::int32_t>(scroll_x);
    v.src_y = static_cast<std::int32_t>(scroll_y);
    v.src_w = v.dst_w = static_cast<std::int32_t>(cw);
    v.src_h = v.dst_h = static_cast<std::int32_t>(ch);
    v.shown_height = ch;
    return v;
  }
  // Any other mode is shown fitted, so a hand-edited setting still shows the sheet.
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
