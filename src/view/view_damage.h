// Which part of a view has to be drawn again when part of the sheet changed,
// and the square tiles a view is drawn in, so that a window showing the
// sheet live redraws only the tiles a change reaches.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/damage_sheet.h"
#include "view/sheet_layout.h"

namespace morvane {

// The window pixels that show `area` of the sheet through the layout's copy:
// shifted in the original-size view, scaled in the fitted view and then grown
// by a pixel for the rounding of the scale. Clipped to the
// copied sheet; empty when none of it is in view.
ViewRect view_damage(const SheetArea& area, const SheetLayout& layout);

// A view of width x height window pixels cut into tiles `tile` pixels
// square, row by row; those in the last column and row may be smaller.
struct TileGrid {
  std::int32_t width = 0, height = 0, tile = 1;
  std::int32_t columns = 0, rows = 0;
  std::int32_t count() const { return columns * rows; }
};

TileGrid tile_grid(std::int32_t width, std::int32_t height, std::int32_t tile);
ViewRect tile_rect(const TileGrid& grid, std::int32_t index);
// The tiles `rect` reaches, in order.
std::vector<std::int32_t> tiles_meeting(const TileGrid& grid, const ViewRect& rect);

}  // namespace morvane
