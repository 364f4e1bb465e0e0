#include "app/work_area.h"

#include <algorithm>

namespace morvane {

namespace {

std::int64_t overlap(std::int64_t lo1, std::int64_t hi1, std::int64_t lo2, std::int64_t hi2) {
  return std::max<std::int64_t>(0, std::min(hi1, hi2) - std::max(lo1, lo2));
}

std::int64_t overlap_area(const ScreenBox& a, const ScreenBox& b) {
  return overlap(a.left, a.right, b.left, b.right) * overlap(a.top, a.bottom, b.top, b.bottom);
}

// How far apart two boxes are along one axis; 0 when they overlap on it.
std::int64_t gap(std::int64_t lo1, std::int64_t hi1, std::int64_t lo2, std::int64_t hi2) {
  if (hi1 <= lo2) return lo2 - hi1;
  if (hi2 <= lo1) return lo1 - hi2;
  return 0;
}

std::int64_t distance_squared(const ScreenBox& a, const ScreenBox& b) {
  const std::int64_t dx = gap(a.left, a.right, b.left, b.right);
  const std::int64_t dy = gap(a.top, a.bottom, b.top, b.bottom);
  return dx * dx + dy * dy;
}

const ScreenBox& best_work_area(const ScreenBox& window, const std::vector<ScreenBox>& areas) {
  const ScreenBox* best = &areas.front();
  std::int64_t best_overlap = overlap_area(window, *best);
  std::int64_t best_distance = distance_squared(window, *best);
  for (const ScreenBox& a : areas) {
    const std::int64_t o = overlap_area(window, a);
    const std::int64_t d = distance_squared(window, a);
    if (o > best_overlap || (o == best_overlap && d < best_distance)) {
      best = &a;
      best_overlap = o;
      best_distance = d;
    }
  }
  return *best;
}

// One axis: moved as little as needed into [lo, hi); too long a window
// starts at lo.
std::int64_t moved_start(std::int64_t start, std::int64_t size, std::int64_t lo, std::int64_t hi) {
  return std::max(lo, std::min(start, hi - size));
}

}  // namespace

bool caption_reachable(const ScreenBox& window, std::int32_t caption_height, const ScreenBox& work) {
  const std::int64_t width = std::int64_t{window.right} - window.left;
  const std::int64_t height = std::max<std::int64_t>(1, caption_height);
  const std::int64_t across = overlap(window.left, window.right, work.left, work.right);
  const std::int64_t down = overlap(window.top, std::int64_t{window.top} + height, work.top, work.bottom);
  return across >= std::min<std::int64_t>(kReachableCaptionWidth, width) && across > 0 &&
         down * 2 >= height;
}

ScreenBox kept_on_work_area(const ScreenBox& window, std::int32_t caption_height,
                            const std::vector<ScreenBox>& work_areas) {
  if (work_areas.empty()) return window;
  for (const ScreenBox& a : work_areas) {
    if (caption_reachable(window, caption_height, a)) return window;
  }
  const ScreenBox& area = best_work_area(window, work_areas);
  const std::int64_t width = std::int64_t{window.right} - window.left;
  const std::int64_t height = std::int64_t{window.bottom} - window.top;
  const std::int64_t left = moved_start(window.left, width, area.left, area.right);
  const std::int64_t top = moved_start(window.top, height, area.top, area.bottom);
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(left + width), static_cast<std::int32_t>(top + height)};
}

}  // namespace morvane
