// Drawing one tile of the view from the sheet: the part of the window it
// covers, with the sheet copied as the view mode shows it (shifted; shrunk,
// each display pixel the average of the sheet pixels under it; or enlarged,
// each sheet pixel a block) and the view's background beside the sheet.
// Tiles drawn one by one join into exactly the picture of the whole view.
#pragma once

#include <cairo.h>

#include "view/sheet_layout.h"

namespace morvane::live {

// Paints the window pixels `tile` of the view laid out by `layout` into
// `target`, an image of the tile's size times `scale` (the display's pixels
// per window pixel). `sheet` may be null: then only the background.
void render_tile(cairo_surface_t* sheet, const SheetLayout& layout, const ViewRect& tile,
                 int scale, cairo_surface_t* target);

}  // namespace morvane::live
