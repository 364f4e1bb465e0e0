// Fonts for the cairo surfaces: a FontDesc resolved through fontconfig to a
// FreeType face, sized and measured the way GDI sizes and measures it.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace morvane {

struct ScaledFontRelease {
  void operator()(cairo_scaled_font_t* f) const { cairo_scaled_font_destroy(f); }
};
using ScaledFontPtr = std::unique_ptr<cairo_scaled_font_t, ScaledFontRelease>;

// A font ready to draw: lengths in page units, relative to the cell's top.
struct RealisedFont {
  cairo_font_face_t* face = nullptr;  // null when no font could be found
  double em = 0;                      // em size (cairo font size)
  double x_scale = 1;                 // horizontal stretch for a requested width
  std::int32_t ascent = 0;            // baseline below the cell top
  TextMetrics metrics;
  std::int32_t underline_top = 0;
  std::int32_t underline_size = 1;
  std::int32_t strike_top = 0;
  std::int32_t strike_size = 1;
  // The font unhinted, one user unit per page unit: what its glyphs advance
  // along a run, alike on every surface whatever each one hints. Null when
  // no font could be found.
  ScaledFontPtr layout;
};

// Realised fonts are kept: the page engine draws one character at a time with
// the same few fonts, so a lookup must cost almost nothing.
class FontCache {
 public:
  FontCache() = default;
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // The reference stays valid until the next call.
  const RealisedFont& get(const FontDesc& font);

  // The family fontconfig chose for a font (for diagnostics and tests).
  std::string family_of(const FontDesc& font);
  // True when the font's face is not installed and no face is set up to
  // stand for it: it is then drawn in the system's fixed-pitch face.
  bool is_stand_in(const FontDesc& font);

 private:
  // Per-face numbers in font units, read once from the face's tables.
  struct FaceInfo {
    double units_per_em = 1000;
    double win_ascent = 800;
    double win_descent = 200;
    double line_gap = 0;  // GDI's external leading, font units
    double avg_width = 500;
    double max_advance = 600;
    double underline_position = -100;
    double underline_thickness = 50;
    double strike_position = 250;
    double strike_size = 50;
  };
  struct Face {
    std::string name;
    std::int32_t weight = 0;
    bool italic = false;
    std::uint8_t pitch_and_family = 0;
    cairo_font_face_t* face = nullptr;
    std::string family;
    bool stand_in = false;
    FaceInfo info;
  };

  const Face& face_for(const FontDesc& font);
  Face load_face(const FontDesc& font);
  static RealisedFont realise(const FontDesc& font, const Face& face);

  std::vector<Face> faces_;
  std::vector<std::pair<FontDesc, RealisedFont>> fonts_;
  std::size_t last_ = 0;
};

}  // namespace morvane
