// Characters drawn once and kept as coverage masks. The page engine draws one
// character at a time in a handful of fonts; letting cairo lay out and
// rasterise every one of them costs far more than blending a kept mask.
//
// A mask is cairo's own coverage of the character (with underline and
// strike-out), rendered at a whole-pixel origin exactly as the sheet would
// draw it, so blending it with blend_pixel gives the very pixels cairo gives.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/cairo/font_cache.h"
#include "gfx/surface.h"

namespace morvane {

// Coverage of one character, placed relative to its anchor (the cell's
// top-left corner). An empty mask (width 0) draws nothing, as a space does.
struct GlyphMask {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> alpha;  // width * height, rows top to bottom
  // Per row, the columns [first, last) that hold any coverage: two entries a
  // row. Blank paper outside them is left alone.
  std::vector<std::int32_t> inked;
};

// One RGB24 pixel (0x00RRGGBB) under an opaque colour seen through coverage m,
// with pixman's arithmetic for OVER a solid source through an A8 mask, so the
// result matches cairo's own drawing to the level. Two channels at a time and
// without branches: m of 0 and 255 come out exact as well.
inline std::uint32_t blend_pixel(std::uint32_t src, std::uint8_t m, std::uint32_t dst) {
  constexpr std::uint32_t kPair = 0x00FF00FF;
  // x * a / 255 rounded, for the two channels held in bits 0-7 and 16-23.
  const auto mul = [](std::uint32_t x, std::uint32_t a) {
    const std::uint32_t t = x * a + 0x00800080;
    return ((t + ((t >> 8) & kPair)) >> 8) & kPair;
  };
  // Per-channel sum, saturated at 255.
  const auto add = [](std::uint32_t x, std::uint32_t y) {
    const std::uint32_t t = x + y;
    return (t | (0x01000100 - ((t >> 8) & kPair))) & kPair;
  };
  const std::uint32_t na = 255u - m;
  const std::uint32_t rb = add(mul(src & kPair, m), mul(dst & kPair, na));
  const std::uint32_t g = add(mul((src >> 8) & 0xFF, m), mul((dst >> 8) & 0xFF, na));
  return rb | (g << 8);
}

// blend_pixel over white for every coverage level of one colour: nearly every
// pixel a character covers is still white paper, and a table look-up is far
// cheaper than the arithmetic.
class OnWhite {
 public:
  const std::uint32_t* table(std::uint32_t src);

 private:
  std::uint32_t src_ = 0;
  bool made_ = false;
  std::uint32_t levels_[256] = {};
};

class GlyphCache {
 public:
  // Glyphs whose box would be larger than this are drawn by cairo each time.
  static constexpr std::int32_t kMaxSide = 512;
  // Mask bytes kept before everything is dropped and made afresh.
  static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;
  static constexpr std::size_t kMaxFonts = 64;

  // The mask of `byte` in `font`, made on first use with the font from
  // `fonts`; null when this character can't be kept (too large, or its ink
  // reaches past the box it was rendered in) and must be drawn by cairo.
  const GlyphMask* get(const FontDesc& font, unsigned char byte, FontCache& fonts);

  std::size_t bytes() const { return bytes_; }

 private:
  enum class State : std::uint8_t { kUnmade, kReady, kUncacheable };
  struct FontGlyphs {
    FontDesc font;
    State state[256] = {};
    GlyphMask masks[256];
  };

  FontGlyphs& glyphs_for(const FontDesc& font);

  std::vector<std::unique_ptr<FontGlyphs>> fonts_;
  std::size_t last_ = 0;
  std::size_t bytes_ = 0;
};

// Renders `byte` with cairo into a fresh mask; false when it can't be kept.
bool render_glyph_mask(const RealisedFont& realised, const FontDesc& font, unsigned char byte,
                       GlyphMask& out);

// The coverage of an A8 image as a mask anchored at (anchor_x, anchor_y) of
// the image. False when ink touches the image's edge (it may have been cut
// off there); a blank image gives an empty mask.
bool mask_from_coverage(cairo_surface_t* a8, int anchor_x, int anchor_y, GlyphMask& out);

}  // namespace morvane
