// The pixels of a one-pixel line the way GDI's LineTo lights them: from the
// start point towards the end point, end point excluded, the minor axis
// rounded to the nearest pixel. Only pixels inside [0, width) x [0, height)
// are visited, so lines far outside the sheet cost nothing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace morvane {

// dash > 0: dashes and gaps `dash` units long measured along the line, as
// on paper, from half a unit before the start pixel's centre (where the
// start pixel begins): a pixel is lit when its centre falls in a dash. On
// a line along an axis that is the first `dash` pixels lit, the next `dash`
// left out, and so on. dash <= 0: solid.
template <class Plot>
void raster_line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                 std::int32_t dash, std::int32_t width, std::int32_t height, Plot plot) {
  const std::int64_t dx = std::int64_t{x1} - x0;
  const std::int64_t dy = std::int64_t{y1} - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  const bool x_major = adx >= ady;
  const std::int64_t n = x_major ? adx : ady;  // pixels drawn
  constexpr std::int64_t kNarrow = std::int64_t{1} << 30;
  if (n == 0 || width <= 0 || height <= 0) return;
  const std::int64_t major0 = x_major ? x0 : y0;
  const std::int64_t minor0 = x_major ? y0 : x0;
  const std::int64_t major_step = (x_major ? dx : dy) < 0 ? -1 : 1;
  const std::int64_t minor_step = (x_major ? dy : dx) < 0 ? -1 : 1;
  const std::int64_t minor_len = x_major ? ady : adx;
  const std::int64_t major_limit = x_major ? width : height;
  const std::int64_t minor_limit = x_major ? height : width;

  // Steps i in [lo, hi) keep the major coordinate inside the sheet.
  std::int64_t lo = 0;
  std::int64_t hi = n;
  if (major_step > 0) {
    lo = std::max(lo, -major0);
    hi = std::min(hi, major_limit - major0);
  } else {
    lo = std::max(lo, major0 - (major_limit - 1));
    hi = std::min(hi, major0 + 1);
  }
  // Units along the line per pixel along the major axis.
  const double along = dash > 0 ? std::hypot(static_cast<double>(adx), static_cast<double>(ady)) /
                                      static_cast<double>(n)
                                : 1;
  for (std::int64_t i = lo; i < hi; ++i) {
    if (dash > 0) {
      const double phase = std::floor((static_cast<double>(i) * along + 0.5) / dash);
      if (std::fmod(phase, 2.0) != 0) continue;
    }
    // Rounded minor offset; 128 bits only where i and minor_len may reach
    // 2^32 (a 128-bit division costs more than plotting the pixel).
    std::int64_t off = 0;
    if (minor_len == 0) {
      off = 0;
    } else if (n < kNarrow) {
      off = (2 * i * minor_len + n) / (2 * n);
    } else {
      const auto num = static_cast<__int128>(2) * i * minor_len + n;
      off = static_cast<std::int64_t>(num / (2 * static_cast<__int128>(n)));
    }
    const std::int64_t minor = minor0 + minor_step * off;
    if (minor < 0 || minor >= minor_limit) continue;
    const std::int64_t major = major0 + major_step * i;
    if (x_major) {
      plot(static_cast<std::int32_t>(major), static_cast<std::int32_t>(minor));
    } else {
      plot(static_cast<std::int32_t>(minor), static_cast<std::int32_t>(major));
    }
  }
}

}  // namespace morvane
