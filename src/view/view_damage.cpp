#include "view/view_damage.h"

#include <algorithm>

namespace morvane {

namespace {

// A scaled copy averages or repeats sheet pixels: one of them shows in the
// window pixels it falls in, give or take the rounding of the scale.
constexpr std::int64_t kSmoothingReach = 1;

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
std::int64_t ceil_div(std::int64_t a, std::int64_t b) { return -floor_div(-a, b); }

std::int32_t clamp32(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<std::int32_t>(std::clamp(v, lo, hi));
}

}  // namespace

ViewRect view_damage(const SheetArea& area, const SheetLayout& layout) {
  const ViewCopy& c = layout.copy;
  if (area.empty() || layout.copy_empty || c.src_w <= 0 || c.src_h <= 0) return {};
  std::int64_t l = area.left - std::int64_t{c.src_x}, r = area.right - std::int64_t{c.src_x};
  std::int64_t t = area.top - std::int64_t{c.src_y}, b = area.bottom - std::int64_t{c.src_y};
  if (c.stretch) {
    l = floor_div(l * c.dst_w, c.src_w) - kSmoothingReach;
    r = ceil_div(r * c.dst_w, c.src_w) + kSmoothingReach;
    t = floor_div(t * c.dst_h, c.src_h) - kSmoothingReach;
    b = ceil_div(b * c.dst_h, c.src_h) + kSmoothingReach;
  }
  const std::int64_t x0 = c.dst_x, y0 = c.dst_y;
  const std::int64_t x1 = x0 + c.dst_w, y1 = y0 + c.dst_h;
  ViewRect v{clamp32(x0 + l, x0, x1), clamp32(y0 + t, y0, y1), clamp32(x0 + r, x0, x1),
             clamp32(y0 + b, y0, y1)};
  return v.empty() ? ViewRect{} : v;
}

TileGrid tile_grid(std::int32_t width, std::int32_t height, std::int32_t tile) {
  TileGrid g;
  g.width = std::max(width, 0);
  g.height = std::max(height, 0);
  g.tile = std::max(tile, 1);
  g.columns = (g.width + g.tile - 1) / g.tile;
  g.rows = (g.height + g.tile - 1) / g.tile;
  return g;
}

ViewRect tile_rect(const TileGrid& g, std::int32_t index) {
  if (index < 0 || index >= g.count()) return {};
  const std::int32_t x = index % g.columns * g.tile, y = index / g.columns * g.tile;
  return {x, y, std::min(x + g.tile, g.width), std::min(y + g.tile, g.height)};
}

std::vector<std::int32_t> tiles_meeting(const TileGrid& g, const ViewRect& rect) {
  std::vector<std::int32_t> out;
  const ViewRect r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, g.width),
                   std::min(rect.bottom, g.height)};
  if (r.empty()) return out;
  for (std::int32_t row = r.top / g.tile; row <= (r.bottom - 1) / g.tile; ++row)
    for (std::int32_t col = r.left / g.tile; col <= (r.right - 1) / g.tile; ++col)
      out.push_back(row * g.columns + col);
  return out;
}

}  // namespace morvane
