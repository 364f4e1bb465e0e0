// Dot patterns as forms of a PDF: each distinct character, each length of a
// run of bit-image dots and each bit-image column is recorded once and placed wherever it is
// printed, so the document holds it once and every later character costs a
// placement. A form fills its dots' rims, then their cores, so that no rim
// lies on a core; everything is opaque.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <unordered_map>

#include "gfx/cairo/dot_ink.h"

namespace morvane {

class DotForms {
 public:
  // Forms kept before all are dropped and made afresh.
  static constexpr std::size_t kMaxChars = 4096;
  // The longest run one form holds; longer runs take several.
  static constexpr std::int32_t kMaxRun = 64;

  DotForms() = default;
  ~DotForms();
  DotForms(const DotForms&) = delete;
  DotForms& operator=(const DotForms&) = delete;

  // The form of a character in its cell and styles; null when it has no dots.
  // Valid until the next call.
  cairo_surface_t* character(unsigned char ch, const CharCell& cell, bool underline, Color color);
  // That part of `length` (1 to kMaxRun) black bit-image dots in a row.
  cairo_surface_t* run(std::int32_t length, DotPart part);
  // That part of the dots of a bit-image column byte; null for 0.
  cairo_surface_t* column(std::uint8_t byte, DotPart part);

 private:
  void drop_all();
  cairo_surface_t* record(const DotPattern& pattern, Color color, bool rims, bool cores);

  std::unordered_map<DotKey, cairo_surface_t*, DotKeyHash> chars_;
  cairo_surface_t* runs_[2][kMaxRun + 1] = {};  // rims, cores
  cairo_surface_t* columns_[2][256] = {};
};

}  // namespace morvane
