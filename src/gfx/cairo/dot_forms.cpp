#include "gfx/cairo/dot_forms.h"

#include <cmath>

#include "gfx/cairo/text.h"

namespace morvane {
namespace {

// An empty recording bounded by the box, in whole units.
cairo_surface_t* blank_form(const InkBox& box) {
  const double left = std::floor(box.left);
  const double top = std::floor(box.top);
  cairo_rectangle_t extents{left, top, std::ceil(box.right) - left, std::ceil(box.bottom) - top};
  return cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
}

}  // namespace

// The pattern's rims, then its cores, or just one of them; null when it has
// no dots.
cairo_surface_t* DotForms::record(const DotPattern& pattern, Color color, bool rims,
                                  bool cores) {
  if (pattern.dots.empty() || !(pattern.diameter > 0)) return nullptr;
  cairo_surface_t* form = blank_form(ink_box(pattern));
  cairo_t* cr = cairo_create(form);
  if (rims) {
    set_source_color(cr, rim_color(color));
    fill_dots(cr, pattern, 0, 0, DotPart::rim);
  }
  if (cores) {
    set_source_color(cr, color);
    fill_dots(cr, pattern, 0, 0, DotPart::core);
  }
  cairo_destroy(cr);
  return form;
}

DotForms::~DotForms() { drop_all(); }

void DotForms::drop_all() {
  // Documents that placed a form hold their own reference to it.
  for (auto& [key, form] : chars_) {
    if (form != nullptr) cairo_surface_destroy(form);
  }
  chars_.clear();
  const auto drop = [](auto& forms) {
    for (cairo_surface_t*& form : forms) {
      if (form != nullptr) cairo_surface_destroy(form);
      form = nullptr;
    }
  };
  for (int part = 0; part < 2; ++part) {
    drop(runs_[part]);
    drop(columns_[part]);
  }
}

cairo_surface_t* DotForms::character(unsigned char ch, const CharCell& cell, bool underline,
                                     Color color) {
  const DotKey key = dot_key(ch, cell, underline, color);
  auto it = chars_.find(key);
  if (it != chars_.end()) return it->second;
  if (chars_.size() >= kMaxChars) drop_all();
  cairo_surface_t* form = record(char_dots(ch, cell, underline), color, true, true);
  chars_.emplace(key, form);
  return form;
}

cairo_surface_t* DotForms::run(std::int32_t length, DotPart part) {
  if (length < 1 || length > kMaxRun) return nullptr;
  const bool rims = part == DotPart::rim;
  cairo_surface_t*& form = runs_[rims ? 0 : 1][length];
  if (form == nullptr) form = record(image_run(length), rgb(0, 0, 0), rims, !rims);
  return form;
}

cairo_surface_t* DotForms::column(std::uint8_t byte, DotPart part) {
  const bool rims = part == DotPart::rim;
  cairo_surface_t*& form = columns_[rims ? 0 : 1][byte];
  if (form == nullptr) form = record(image_column(byte), rgb(0, 0, 0), rims, !rims);
  return form;
}

}  // namespace morvane
