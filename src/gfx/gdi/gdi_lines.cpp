// GdiSurface: pens, lines and pen strokes.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/gdi/gdi_surface.h"

namespace morvane {

namespace {

// The part [t0, t1] (fractions of its length) of the line from a to b that
// lies within the box; false when none does.
bool clip_to(const RECT& box, double ax, double ay, double bx, double by, double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double d[2] = {bx - ax, by - ay};
  const double from[2] = {ax, ay};
  // A y-up mapping gives the box its top above its bottom.
  const double lo[2] = {static_cast<double>(std::min(box.left, box.right)),
                        static_cast<double>(std::min(box.top, box.bottom))};
  const double hi[2] = {static_cast<double>(std::max(box.left, box.right)),
                        static_cast<double>(std::max(box.top, box.bottom))};
  for (int k = 0; k < 2; ++k) {
    // With room for the pen's width.
    const double low = lo[k] - 2;
    const double high = hi[k] + 2;
    if (d[k] == 0) {
      if (from[k] < low || from[k] > high) return false;
      continue;
    }
    double a = (low - from[k]) / d[k];
    double b = (high - from[k]) / d[k];
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
  }
  return t0 <= t1;
}

// GDI leaves a line's end point out, as a pen that stops there would not:
// the polyline goes on by one unit, in the way its last piece runs (a dot
// to the right), so that its end is drawn.
void reach_the_end(std::vector<POINT>& line) {
  const POINT end = line.back();
  const POINT from = line.size() > 1 ? line[line.size() - 2] : end;
  const LONG dx = end.x - from.x;
  const LONG dy = end.y - from.y;
  const LONG adx = dx < 0 ? -dx : dx;
  const LONG ady = dy < 0 ? -dy : dy;
  POINT next = end;
  if (adx == 0 && ady == 0) next.x += 1;
  else if (adx >= ady) next.x += dx < 0 ? -1 : 1;
  else next.y += dy < 0 ? -1 : 1;
  line.push_back(next);
}

}  // namespace

void GdiSurface::set_pen(Color color, std::int32_t dash) {
  if (dash < 0) dash = 0;
  if (pen_ && color == pen_color_ && dash == pen_dash_) return;
  // Width 1 is one logical unit: a pixel on the sheet, 1/100 inch on paper.
  // Dashes are drawn piece by piece with it (line_to).
  HPEN pen = pen_ && color == pen_color_ ? pen_ : CreatePen(PS_SOLID, 1, color);
  if (!pen) return;
  if (pen != pen_) {
    HGDIOBJ previous = SelectObject(dc_, pen);
    if (pen_) {
      DeleteObject(pen_);
    } else {
      old_pen_ = previous;
    }
  }
  pen_ = pen;
  pen_color_ = color;
  pen_dash_ = dash;
}

void GdiSurface::release_pen() {
  if (!pen_) return;
  SelectObject(dc_, old_pen_);
  DeleteObject(pen_);
  pen_ = nullptr;
  pen_dash_ = -1;
}

void GdiSurface::move_to(std::int32_t x, std::int32_t y) {
  MoveToEx(dc_, x, dev_y(y), nullptr);
}

void GdiSurface::line_to(std::int32_t x, std::int32_t y) {
  if (!pen_) set_pen(rgb(0, 0, 0), 0);
  if (pen_dash_ <= 0) {
    LineTo(dc_, x, dev_y(y));
    return;
  }
  POINT from{};
  GetCurrentPositionEx(dc_, &from);
  dashed_line(from, POINT{x, dev_y(y)});
  MoveToEx(dc_, x, dev_y(y), nullptr);
}

// Dashes and gaps pen_dash_ units long measured along the line from its
// start, in logical units, each dash a solid piece: the dash styles of pens
// are counted along the major axis or in device pixels, depending on the
// pen, the device and the platform, and the sheet and the paper must agree.
// Only the pieces within the DC's drawing area are drawn, so a line far
// outside it costs nothing.
void GdiSurface::dashed_line(POINT from, POINT to) {
  RECT box{};
  if (GetClipBox(dc_, &box) == ERROR) return;
  const double ax = from.x, ay = from.y;
  const double dx = static_cast<double>(to.x) - ax;
  const double dy = static_cast<double>(to.y) - ay;
  const double length = std::hypot(dx, dy);
  double t0 = 0;
  double t1 = 0;
  if (length == 0 || !clip_to(box, ax, ay, to.x, to.y, t0, t1)) return;
  const double period = 2.0 * pen_dash_;
  auto at = [&](double along, LONG& x, LONG& y) {
    x = static_cast<LONG>(std::lround(ax + dx * along / length));
    y = static_cast<LONG>(std::lround(ay + dy * along / length));
  };
  for (double start = std::floor(t0 * length / period) * period; start < t1 * length; start += period) {
    const double end = std::min(start + pen_dash_, length);
    POINT a{};
    POINT b{};
    at(start, a.x, a.y);
    at(end, b.x, b.y);
    MoveToEx(dc_, a.x, a.y, nullptr);
    LineTo(dc_, b.x, b.y);
  }
}

// Pen strokes as polylines of a round pen one unit wide, between whole
// units: GDI places nothing between them.
void GdiSurface::draw_strokes(const Strokes& strokes, Color color) {
  if (strokes.empty()) return;
  LOGBRUSH brush{BS_SOLID, color, 0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 1, &brush,
                          0, nullptr);
  if (!pen) return;
  HGDIOBJ previous = SelectObject(dc_, pen);
  std::vector<POINT> line;
  for (std::size_t k = 0; k < strokes.starts.size(); ++k) {
    line.clear();
    for (std::size_t i = strokes.starts[k]; i < strokes.line_end(k); ++i) {
      line.push_back({whole_unit(strokes.points[i].x), dev_y(whole_unit(strokes.points[i].y))});
    }
    reach_the_end(line);
    Polyline(dc_, line.data(), static_cast<int>(line.size()));
  }
  SelectObject(dc_, previous);
  DeleteObject(pen);
}

}  // namespace morvane
