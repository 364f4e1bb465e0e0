// Checks shared by the dot face's tests: whatever draws them, round dots are
// ink well inside and leave paper well away from them.
#pragma once

#include <algorithm>
#include <cmath>

#include "gfx/cairo/dot_ink.h"
#include "gfx/dots/dot_layout.h"

namespace morvane::test {

// Pixels (unit squares from (0, 0)) well inside a dot of the pattern, placed
// at (ox, oy), are ink; pixels well away from every dot are paper. Counts
// the pixels that break the rule; is_ink and is_paper take (x, y).
template <class IsInk, class IsPaper>
int pixels_off_the_dots(const DotPattern& p, double ox, double oy, int width, int height,
                        IsInk is_ink, IsPaper is_paper) {
  const double core = dot_radius(p.diameter, DotPart::core);  // the solid middle of a dot
  const double rim = dot_radius(p.diameter, DotPart::rim);    // the reach of its soft edge
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double nearest = 1e18;
      for (const Dot& d : p.dots) {
        nearest = std::min(nearest, std::hypot(x + 0.5 - ox - d.x, y + 0.5 - oy - d.y));
      }
      if (nearest < core - 1 && !is_ink(x, y)) ++wrong;
      if (nearest > rim + 1 && !is_paper(x, y)) ++wrong;
    }
  }
  return wrong;
}

}  // namespace morvane::test
