#include "view/sheet_layout.h"

#include <algorithm>

namespace morvane {

namespace {

// How much of [start, start + want) lies on a sheet of `extent`.
std::int64_t on_sheet(std::int64_t start, std::int64_t want, std::int64_t extent) {
  if (start < 0 || start >= extent || want <= 0) return 0;
  return std::min(want, extent - start);
}

}  // namespace

SheetLayout layout_sheet(const ViewCopy& v, std::uint32_t client_w, std::uint32_t client_h,
                         std::uint32_t sheet_w, std::uint32_t sheet_h) {
  SheetLayout out;
  out.copy = v;
  const std::int64_t cw = client_w, ch = client_h;
  std::int64_t shown_w = 0, shown_h = 0;  // window pixels covered by the sheet
  if (v.stretch) {
    shown_w = std::min<std::int64_t>(v.dst_w, cw);
    shown_h = std::min<std::int64_t>(v.dst_h, ch);
    if (sheet_w == 0 || sheet_h == 0) shown_w = shown_h = 0;
  } else {
    shown_w = on_sheet(v.src_x, std::min<std::int64_t>(v.src_w, cw), sheet_w);
    shown_h = on_sheet(v.src_y, std::min<std::int64_t>(v.src_h, ch), sheet_h);
    out.copy.src_w = out.copy.dst_w = static_cast<std::int32_t>(shown_w);
    out.copy.src_h = out.copy.dst_h = static_cast<std::int32_t>(shown_h);
  }
  out.copy_empty = shown_w <= 0 || shown_h <= 0;
  if (out.copy_empty) shown_w = shown_h = 0;
  const auto sw = static_cast<std::int32_t>(shown_w), sh = static_cast<std::int32_t>(shown_h);
  const auto w = static_cast<std::int32_t>(cw), h = static_cast<std::int32_t>(ch);
  out.outside[0] = {sw, 0, w, h};   // the full-height strip right of the sheet
  out.outside[1] = {0, sh, sw, h};  // below the sheet
  return out;
}

}  // namespace morvane
