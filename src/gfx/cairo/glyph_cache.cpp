#include "gfx/cairo/glyph_cache.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "gfx/cairo/text.h"

namespace morvane {
namespace {

// Rows [top, bottom) and columns [left, right) that hold any coverage.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left; }
};

Box inked_box(const unsigned char* data, int stride, int width, int height) {
  Box b{width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    const unsigned char* line = data + static_cast<std::ptrdiff_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      if (line[x] == 0) continue;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x + 1);
      b.top = std::min(b.top, y);
      b.bottom = std::max(b.bottom, y + 1);
    }
  }
  if (b.right <= b.left) return Box{};
  return b;
}

// Columns [first_inked, last_inked) of a row hold all its coverage; both 0
// for a blank row.
std::int32_t first_inked(const unsigned char* line, int width) {
  for (int x = 0; x < width; ++x) {
    if (line[x] != 0) return x;
  }
  return 0;
}

std::int32_t last_inked(const unsigned char* line, int width) {
  for (int x = width; x > 0; --x) {
    if (line[x - 1] != 0) return x;
  }
  return 0;
}

std::size_t size_of(const GlyphMask& m) {
  return m.alpha.size() + m.inked.size() * sizeof m.inked[0];
}

}  // namespace

bool mask_from_coverage(cairo_surface_t* a8, int anchor_x, int anchor_y, GlyphMask& out) {
  out = GlyphMask{};
  cairo_surface_flush(a8);
  const unsigned char* data = cairo_image_surface_get_data(a8);
  const int stride = cairo_image_surface_get_stride(a8);
  const int iw = cairo_image_surface_get_width(a8);
  const int ih = cairo_image_surface_get_height(a8);
  if (data == nullptr) return false;
  const Box b = inked_box(data, stride, iw, ih);
  if (b.empty()) return true;
  if (b.left == 0 || b.top == 0 || b.right == iw || b.bottom == ih) return false;
  out.left = b.left - anchor_x;
  out.top = b.top - anchor_y;
  out.width = b.right - b.left;
  out.height = b.bottom - b.top;
  out.alpha.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
  out.inked.resize(2 * static_cast<std::size_t>(out.height));
  for (int y = 0; y < out.height; ++y) {
    const unsigned char* line = data + static_cast<std::ptrdiff_t>(b.top + y) * stride;
    std::copy(line + b.left, line + b.right,
              out.alpha.begin() + static_cast<std::ptrdiff_t>(y) * out.width);
    out.inked[2 * static_cast<std::size_t>(y)] = first_inked(line + b.left, out.width);
    out.inked[2 * static_cast<std::size_t>(y) + 1] = last_inked(line + b.left, out.width);
  }
  return true;
}

bool render_glyph_mask(const RealisedFont& realised, const FontDesc& font, unsigned char byte,
                       GlyphMask& out) {
  out = GlyphMask{};
  if (realised.face == nullptr) return true;  // nothing is ever drawn with it
  // A margin of a whole em (stretched as the font is) around the cell holds
  // any overhang a sane glyph has; ink reaching the margin's edge shows the
  // box was too small, and such a glyph is left to cairo.
  const int pad_x = static_cast<int>(std::ceil(realised.em * realised.x_scale)) + 2;
  const int pad_y = static_cast<int>(std::ceil(realised.em)) + 2;
  const std::int64_t w = std::int64_t{realised.metrics.max_char_width} + 2 * pad_x;
  const std::int64_t h = std::int64_t{realised.metrics.height} + 2 * pad_y;
  if (w > GlyphCache::kMaxSide || h > GlyphCache::kMaxSide) return false;

  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_A8, static_cast<int>(w), static_cast<int>(h));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return false;
  }
  cairo_t* cr = cairo_create(s);
  // A whole-pixel anchor, as on the sheet: the same rasterisation results.
  const char c = static_cast<char>(byte);
  show_text(cr, realised, font, pad_x, pad_y, &c, 1, rgb(0, 0, 0));
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  const bool kept = ok && mask_from_coverage(s, pad_x, pad_y, out);
  cairo_surface_destroy(s);
  return kept;
}

// Without padding, equal bytes are equal fields: the usual case, the same
// font as for the last character, is told without comparing names as strings.
static_assert(std::has_unique_object_representations_v<FontDesc>);

GlyphCache::FontGlyphs& GlyphCache::glyphs_for(const FontDesc& font) {
  if (last_ < fonts_.size()) {
    const FontDesc& last = fonts_[last_]->font;
    if (std::memcmp(&last, &font, sizeof font) == 0 || last == font) return *fonts_[last_];
  }
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i]->font == font) {
      last_ = i;
      return *fonts_[i];
    }
  }
  if (fonts_.size() >= kMaxFonts) {
    for (const auto& m : fonts_.front()->masks) bytes_ -= size_of(m);
    fonts_.erase(fonts_.begin());
  }
  fonts_.push_back(std::make_unique<FontGlyphs>());
  fonts_.back()->font = font;
  last_ = fonts_.size() - 1;
  return *fonts_.back();
}

const std::uint32_t* OnWhite::table(std::uint32_t src) {
  if (!made_ || src != src_) {
    for (unsigned m = 0; m < 256; ++m) {
      levels_[m] = blend_pixel(src, static_cast<std::uint8_t>(m), 0xFFFFFF);
    }
    src_ = src;
    made_ = true;
  }
  return levels_;
}

const GlyphMask* GlyphCache::get(const FontDesc& font, unsigned char byte, FontCache& fonts) {
  FontGlyphs* g = &glyphs_for(font);
  if (g->state[byte] == State::kReady) return &g->masks[byte];
  if (g->state[byte] == State::kUncacheable) return nullptr;
  GlyphMask mask;
  if (!render_glyph_mask(fonts.get(font), font, byte, mask)) {
    g->state[byte] = State::kUncacheable;
    return nullptr;
  }
  const std::size_t size = size_of(mask);
  if (bytes_ + size > kMaxBytes) {
    // Memory stays bounded whatever fonts a stream asks for.
    fonts_.clear();
    bytes_ = 0;
    g = &glyphs_for(font);
  }
  bytes_ += size;
  g->masks[byte] = std::move(mask);
  g->state[byte] = State::kReady;
  return &g->masks[byte];
}

}  // namespace morvane
