// Where the sheet lands in the paper window, and what is left around it.
//
// The copy of view_copy may reach past the sheet (original size scrolled
// towards the sheet's end, or a window larger than the sheet) or leave part of
// the window uncovered (fit to window). Only the sheet itself is copied; the
// rest of the client area is painted in the window's grey (kViewGrey), so
// nothing stale or undefined shows beside the sheet.
#pragma once

#include <array>
#include <cstdint>

#include "view/view_geometry.h"

namespace morvane {

struct ViewRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

struct SheetLayout {
  ViewCopy copy;                    // clipped to the sheet; nothing to copy when empty
  bool copy_empty = true;
  std::array<ViewRect, 2> outside;  // right of and below the copied sheet
};

// `v` comes from view_copy for the same client and sheet sizes.
SheetLayout layout_sheet(const ViewCopy& v, std::uint32_t client_w, std::uint32_t client_h,
                         std::uint32_t sheet_w, std::uint32_t sheet_h);

}  // namespace morvane
