#include "gfx/cairo/dot_masks.h"

namespace morvane {

const GlyphMask* DotMasks::character(unsigned char ch, const CharCell& cell, bool underline) {
  const DotKey key = dot_key(ch, cell, underline, 0);
  auto it = chars_.find(key);
  if (it == chars_.end()) {
    if (chars_.size() >= kMaxChars) chars_.clear();
    GlyphMask mask;
    std::optional<GlyphMask> kept;
    if (render_dot_mask(char_dots(ch, cell, underline), mask)) kept = std::move(mask);
    it = chars_.emplace(key, std::move(kept)).first;
  }
  return it->second ? &*it->second : nullptr;
}

const GlyphMask& DotMasks::column(std::uint8_t byte) {
  std::optional<GlyphMask>& slot = columns_[byte];
  if (!slot) {
    // A column is a few pixels: it always fits.
    GlyphMask mask;
    render_dot_mask(image_column(byte), mask);
    slot = std::move(mask);
  }
  return *slot;
}

}  // namespace morvane
