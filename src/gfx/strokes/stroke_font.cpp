#include "gfx/strokes/stroke_font.h"

namespace morvane::strokes {

void add_glyph(Strokes& out, unsigned char ch, const GlyphFrame& f) {
  if (ch <= 0x20 || ch > 0x7E) return;
  const std::size_t g = ch - 0x20u;
  bool pen_down = false;
  for (std::size_t i = kGlyphStart[g]; i < kGlyphStart[g + 1]; ++i) {
    const std::int8_t fx = kGlyphPoints[i][0];
    const std::int8_t fy = kGlyphPoints[i][1];
    if (fx == kPenUp) {
      pen_down = false;
      continue;
    }
    if (!pen_down) out.start_line();
    pen_down = true;
    out.add({f.origin.x + fx * f.across.x + fy * f.up.x, f.origin.y + fx * f.across.y + fy * f.up.y});
  }
}

}  // namespace morvane::strokes
