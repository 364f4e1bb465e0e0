// Screen against paper on the real surfaces: the drawing calls of a page
// are the same on both (screen_paper.h checks that), but each surface turns
// them into ink its own way. Every label, pen-drawn label and dashed line is
// drawn alone on the cairo sheet and on the printer's cairo surface (through
// a recording surface in points, as the virtual printer draws; rasterised
// finely), and the ink is measured the same way on both: how far a label
// reaches along its direction, how many dashes a line has.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "gfx/cairo/cairo_pdf_surface.h"
#include "gfx/cairo/cairo_sheet.h"
#include "gfx/damage_sheet.h"
#include "gfx/recording/recording_surface.h"

namespace morvane::test {

// A window of the page, [left, left + width) x [top, top + height).
struct Window {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// One record drawn on a surface, moved by (-dx, -dy).
inline void replay_moved(const DrawRecord& r, Surface& s, std::int32_t dx, std::int32_t dy) {
  switch (r.kind) {
    case DrawKind::fill_rect:
      s.fill_rect(r.x0 - dx, r.y0 - dy, r.x1 - dx, r.y1 - dy, r.color);
      break;
    case DrawKind::set_pen:
      s.set_pen(r.color, r.dash);
      break;
    case DrawKind::move_to:
      s.move_to(r.x1 - dx, r.y1 - dy);
      break;
    case DrawKind::line_to:
      s.set_pen(r.color, r.dash);
      s.move_to(r.x0 - dx, r.y0 - dy);
      s.line_to(r.x1 - dx, r.y1 - dy);
      break;
    case DrawKind::draw_text:
      s.draw_text(r.x0 - dx, r.y0 - dy, r.text.data(), r.text.size(), r.font, r.color);
      break;
    case DrawKind::blit_columns:
      s.blit_columns(r.x0 - dx, r.y0 - dy, r.columns.data(), r.columns.size());
      break;
    case DrawKind::strokes: {
      Strokes moved = r.strokes;
      for (PenPoint& p : moved.points) p = {p.x - dx, p.y - dy};
      s.draw_strokes(moved, r.color);
      break;
    }
  }
}

// The surfaces the comparisons draw on, kept for the whole run: their fonts
// are found once, and what a comparison allocates it frees again (a fuzzing
// run looks for leaks whenever that does not balance).
struct InkSurfaces {
  static constexpr std::int32_t kSide = 2048;  // the largest window drawn here
  CairoSheet sheet{kSide, kSide};
  CairoSheet metrics{1, 1};
  CairoPdfSurface paper;
  static InkSurfaces& get() {
    static InkSurfaces surfaces;
    return surfaces;
  }
};

// Ink as an image of a window, `scale` pixels per page unit.
class Ink {
 public:
  Ink(const Ink&) = delete;
  Ink& operator=(const Ink&) = delete;

  int scale() const { return scale_; }
  std::int32_t width() const { return width_; }   // pixels
  std::int32_t height() const { return height_; }  // pixels
  // Darkness of a pixel: 0 white paper, 255 full ink in any pen colour.
  int pixel(std::int32_t x, std::int32_t y) const {
    if (data_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return darkness(row(y)[x]);
  }
  // A row of RGB24 pixels, within the window; null when nothing was drawn.
  const std::uint32_t* row(std::int32_t y) const {
    if (data_ == nullptr) return nullptr;
    return reinterpret_cast<const std::uint32_t*>(data_ + static_cast<std::ptrdiff_t>(y) * stride_);
  }
  static int darkness(std::uint32_t p) {
    if ((p & 0xFFFFFF) == 0xFFFFFF) return 0;  // paper, nearly everywhere
    const std::uint32_t r = (p >> 16) & 0xFF;
    const std::uint32_t g = (p >> 8) & 0xFF;
    const std::uint32_t b = p & 0xFF;
    const std::uint32_t lightest = r < g ? (r < b ? r : b) : (g < b ? g : b);
    return 255 - static_cast<int>(lightest);
  }
  // Darkness at a point of the window, in page units.
  int at(double x, double y) const {
    return pixel(static_cast<std::int32_t>(std::floor(x * scale_)),
                 static_cast<std::int32_t>(std::floor(y * scale_)));
  }

 protected:
  Ink(int scale, std::int32_t width, std::int32_t height)
      : scale_(scale), width_(width), height_(height) {}
  ~Ink() = default;
  // The image the pixels are read from: RGB24, kept by the owner.
  void read_from(cairo_surface_t* image) {
    cairo_surface_flush(image);
    data_ = cairo_image_surface_get_data(image);
    stride_ = cairo_image_surface_get_stride(image);
  }

 private:
  int scale_;
  std::int32_t width_;
  std::int32_t height_;
  const unsigned char* data_ = nullptr;
  int stride_ = 0;
};

// The record on the screen's sheet, one pixel per page unit.
class SheetInk final : public Ink {
 public:
  SheetInk(const DrawRecord& r, const Window& w) : Ink(1, w.width, w.height) {
    CairoSheet* sheet = &InkSurfaces::get().sheet;
    if (w.width > sheet->width() || w.height > sheet->height()) {
      own_ = std::make_unique<CairoSheet>(w.width, w.height);
      sheet = own_.get();
    }
    sheet->fill_rect(0, 0, sheet->width(), sheet->height(), rgb(255, 255, 255));
    replay_moved(r, *sheet, w.left, w.top);
    if (cairo_surface_t* image = sheet->image()) read_from(image);
  }

 private:
  std::unique_ptr<CairoSheet> own_;
};

// The record on paper, two pixels per unit: a counted dash is four or more.
class PaperInk final : public Ink {
 public:
  static constexpr int kScale = 2;

  PaperInk(const DrawRecord& r, const Window& w) : Ink(kScale, w.width * kScale, w.height * kScale) {
    cairo_surface_t* points = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    CairoPdfSurface& paper = InkSurfaces::get().paper;
    paper.begin(points);
    replay_moved(r, paper, w.left, w.top);
    paper.end();
    image_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width(), height());
    cairo_t* cr = cairo_create(image_);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, kScale / CairoPdfSurface::kPointsPerUnit, kScale / CairoPdfSurface::kPointsPerUnit);
    cairo_set_source_surface(cr, points, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(points);
    read_from(image_);
  }
  ~PaperInk() { cairo_surface_destroy(image_); }

 private:
  cairo_surface_t* image_ = nullptr;
};

constexpr int kInked = 128;  // half ink or more counts as ink
// A pen stroke one unit wide falls between the sheet's pixels and leaves
// each a part of its ink: a quarter counts there.
constexpr int kStroked = 64;

// The ink's span along direction (ux, uy) from the point (ox, oy), in page
// units: the smallest and the largest reach of an inked pixel's centre.
struct Span {
  double from = 0;
  double to = -1;
  bool empty() const { return to < from; }
};

inline Span ink_span(const Ink& ink, double ox, double oy, double ux, double uy, int inked = kInked) {
  Span s{1e18, -1e18};
  const double k = ink.scale();
  for (std::int32_t y = 0; y < ink.height(); ++y) {
    const std::uint32_t* line = ink.row(y);
    if (line == nullptr) break;
    for (std::int32_t x = 0; x < ink.width(); ++x) {
      if ((line[x] & 0xFFFFFF) == 0xFFFFFF || Ink::darkness(line[x]) < inked) continue;
      const double t = ((x + 0.5) / k - ox) * ux + ((y + 0.5) / k - oy) * uy;
      s.from = std::min(s.from, t);
      s.to = std::max(s.to, t);
    }
  }
  return s;
}

// Where the dashes along the segment (x0, y0)-(x1, y1) begin, in units
// from its start: the line through pixel centres sampled every tenth of a
// unit, a sample being inked when the line's pixel there is (on the sheet a
// slanted line's pixel may lie up to half a unit aside).
inline std::vector<double> dash_starts(const Ink& ink, double x0, double y0, double x1, double y1) {
  std::vector<double> starts;
  const double length = std::hypot(x1 - x0, y1 - y0);
  if (length == 0) return starts;
  const double ux = (x1 - x0) / length;
  const double uy = (y1 - y0) / length;
  bool in_dash = false;
  int clear_run = 0;
  for (int step = 0; step * 0.1 < length; ++step) {
    const double t = step * 0.1;
    const double x = x0 + 0.5 + ux * t;
    const double y = y0 + 0.5 + uy * t;
    bool inked = false;
    for (const double s : {0.0, -0.45, 0.45}) inked = inked || ink.at(x - uy * s, y + ux * s) >= kInked;
    if (inked && !in_dash) starts.push_back(t);
    // A gap counts once most of a unit of it is clear: where a slanted
    // line's pixels step sideways there are slivers that are no gap.
    clear_run = inked ? 0 : clear_run + 1;
    if (inked) in_dash = true;
    else if (clear_run >= 8) in_dash = false;
  }
  return starts;
}

// Whether every dash of `a` that begins before `until` has one in `b`
// beginning within a unit and a half of it.
inline bool dashes_matched(const std::vector<double>& a, const std::vector<double>& b, double until) {
  for (const double t : a) {
    if (t >= until) break;
    const bool found = std::any_of(b.begin(), b.end(), [t](double u) { return std::abs(u - t) <= 1.5; });
    if (!found) return false;
  }
  return true;
}

// Dashes are compared along the first stretch of a line: enough to tell the
// pattern apart, and a long line's window would cost a large image.
constexpr double kDashStretch = 160;

// Where a line's compared stretch ends.
inline void stretch_end(const DrawRecord& r, double& x, double& y) {
  const double dx = static_cast<double>(r.x1) - r.x0;
  const double dy = static_cast<double>(r.y1) - r.y0;
  const double length = std::hypot(dx, dy);
  const double part = length > kDashStretch ? kDashStretch / length : 1;
  x = r.x0 + dx * part;
  y = r.y0 + dy * part;
}

// The page area a record's ink can reach, with room around it.
inline Window window_of(const DrawRecord& r) {
  constexpr std::int32_t kPad = 24;
  SheetArea a;
  if (r.kind == DrawKind::strokes && !r.strokes.empty()) {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (const PenPoint& p : r.strokes.points) {
      left = std::min(left, p.x);
      top = std::min(top, p.y);
      right = std::max(right, p.x);
      bottom = std::max(bottom, p.y);
    }
    a = {static_cast<std::int32_t>(std::floor(left)), static_cast<std::int32_t>(std::floor(top)),
         static_cast<std::int32_t>(std::ceil(right)) + 1, static_cast<std::int32_t>(std::ceil(bottom)) + 1};
  } else if (r.kind == DrawKind::draw_text) {
    a = text_area(r.x0, r.y0, r.text.size(), r.font, InkSurfaces::get().metrics.text_metrics(r.font));
  } else {
    double x1 = 0;
    double y1 = 0;
    stretch_end(r, x1, y1);
    const auto ex = static_cast<std::int32_t>(std::lround(x1));
    const auto ey = static_cast<std::int32_t>(std::lround(y1));
    a = {std::min(r.x0, ex), std::min(r.y0, ey), std::max(r.x0, ex) + 1, std::max(r.y0, ey) + 1};
  }
  return {a.left - kPad, a.top - kPad, a.right - a.left + 2 * kPad, a.bottom - a.top + 2 * kPad};
}

// A dash of one unit falls between the sheet's pixels on a slanted line:
// only longer ones can be counted there.
constexpr std::int32_t kCountableDash = 2;

// What differs between the sheet's ink and the paper's for one record; empty
// when they agree. A label may end a unit apart (each surface rounds a
// glyph's outline its own way), a dash begin a unit apart (the sheet's are
// whole pixels).
inline std::string ink_difference(const DrawRecord& r) {
  const Window w = window_of(r);
  SheetInk sheet(r, w);
  PaperInk paper(r, w);
  std::ostringstream out;
  if (r.kind == DrawKind::draw_text) {
    const double angle = r.font.escapement / 10.0 * std::numbers::pi / 180.0;
    const double ux = std::cos(angle);
    const double uy = -std::sin(angle);
    const double ox = r.x0 - w.left;
    const double oy = r.y0 - w.top;
    const Span a = ink_span(sheet, ox, oy, ux, uy);
    const Span b = ink_span(paper, ox, oy, ux, uy);
    if (a.empty() != b.empty() || std::abs(a.from - b.from) > 1.5 || std::abs(a.to - b.to) > 1.5) {
      out << "label '" << r.text << "' at (" << r.x0 << "," << r.y0 << ") direction "
          << r.font.escapement << ": sheet " << a.from << ".." << a.to << ", paper " << b.from
          << ".." << b.to;
    }
  } else if (r.kind == DrawKind::strokes) {
    // The strokes' ink on either side of the page: the same reach every way.
    const double ox = r.strokes.points.empty() ? 0 : r.strokes.points[0].x - w.left;
    const double oy = r.strokes.points.empty() ? 0 : r.strokes.points[0].y - w.top;
    for (const auto& [ux, uy] : {std::pair{1.0, 0.0}, {0.0, 1.0}}) {
      const Span a = ink_span(sheet, ox, oy, ux, uy, kStroked);
      const Span b = ink_span(paper, ox, oy, ux, uy, kStroked);
      if (a.empty() != b.empty() || std::abs(a.from - b.from) > 1.5 || std::abs(a.to - b.to) > 1.5) {
        out << "strokes from (" << r.strokes.points[0].x << "," << r.strokes.points[0].y
            << ") along (" << ux << "," << uy << "): sheet " << a.from << ".." << a.to << ", paper "
            << b.from << ".." << b.to;
        break;
      }
    }
  } else if (r.kind == DrawKind::line_to && r.dash >= kCountableDash) {
    double ex = 0;
    double ey = 0;
    stretch_end(r, ex, ey);
    const double x0 = r.x0 - w.left;
    const double y0 = r.y0 - w.top;
    const double x1 = ex - w.left;
    const double y1 = ey - w.top;
    const std::vector<double> a = dash_starts(sheet, x0, y0, x1, y1);
    const std::vector<double> b = dash_starts(paper, x0, y0, x1, y1);
    // A dash the end point (or the stretch's end) cuts short is a sliver on
    // paper, and a pixel or none on the sheet: the last units are left out.
    const double until = std::hypot(x1 - x0, y1 - y0) - 3;
    if (!dashes_matched(a, b, until) || !dashes_matched(b, a, until)) {
      out << "line (" << r.x0 << "," << r.y0 << ")-(" << r.x1 << "," << r.y1 << ") dash "
          << r.dash << ": " << a.size() << " dashes on the sheet, " << b.size() << " on paper";
    }
  }
  return out.str();
}

// The first label, pen-drawn label or dashed line of a page whose ink
// differs between the sheet and paper.
inline std::string page_ink_difference(const std::vector<DrawRecord>& page) {
  for (const DrawRecord& r : page) {
    const bool label = r.kind == DrawKind::draw_text && r.text.size() > 1;
    const bool dashed = r.kind == DrawKind::line_to && r.dash >= kCountableDash;
    const bool strokes = r.kind == DrawKind::strokes && !r.strokes.empty();
    if (!label && !dashed && !strokes) continue;
    std::string d = ink_difference(r);
    if (!d.empty()) return d;
  }
  return {};
}

}  // namespace morvane::test
