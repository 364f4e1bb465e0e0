// Pen strokes on a cairo context in page units, shared by the sheet and the
// printer's surface so that both draw the very same path.
#pragma once

#include <cairo.h>

#include "gfx/surface.h"

namespace morvane {

// One path of every polyline through the points' unit centres (as a line
// to (x, y) lights the unit at (x, y)), stroked one unit wide with round
// ends and corners, solid, in the colour.
void stroke_pen_path(cairo_t* cr, const Strokes& strokes, Color color);

}  // namespace morvane
