// Dot patterns as coverage masks for the sheet, each made once: a page of
// text is a few dozen distinct characters, and blending a kept mask costs far
// less than having cairo draw every dot.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "gfx/cairo/dot_ink.h"
#include "gfx/cairo/glyph_cache.h"

namespace morvane {

class DotMasks {
 public:
  // Characters kept before all are dropped and made afresh.
  static constexpr std::size_t kMaxChars = 4096;

  // The mask of a character's dots; null when it is too large to keep and
  // must be painted.
  const GlyphMask* character(unsigned char ch, const CharCell& cell, bool underline);
  // The mask of a bit-image column byte.
  const GlyphMask& column(std::uint8_t byte);

 private:
  std::unordered_map<DotKey, std::optional<GlyphMask>, DotKeyHash> chars_;
  std::array<std::optional<GlyphMask>, 256> columns_;
};

}  // namespace morvane
