#include "gfx/dots/dot_font.h"

namespace morvane {
namespace {

std::uint16_t pins_of(const char* row) {
  std::uint16_t pins = 0;
  for (int c = 0; c < kGlyphColumns && row[c] != '\0'; ++c) {
    if (row[c] == '#') pins = static_cast<std::uint16_t>(pins | (1u << c));
  }
  return pins;
}

bool printable(unsigned char ch) { return ch >= 0x20 && ch <= 0x7E; }

}  // namespace

DraftRows draft_rows(unsigned char ch) {
  DraftRows rows{};
  if (!printable(ch)) return rows;
  const DraftGlyph& g = kDraftGlyphs[ch - 0x20];
  for (int r = 0; r < kGlyphRows; ++r) rows[r] = pins_of(g.rows[r]);
  return rows;
}

ScriptRows script_rows(unsigned char ch) {
  ScriptRows rows{};
  for (const ScriptGlyph& g : kScriptGlyphs) {
    if (static_cast<unsigned char>(g.ch) != ch) continue;
    for (int r = 0; r < kScriptRows; ++r) rows[r] = pins_of(g.rows[r]);
    return rows;
  }
  const DraftRows draft = draft_rows(ch);
  const bool descends = draft[7] != 0 || draft[8] != 0;
  const int first = descends ? kGlyphRows - kScriptRows : 0;
  for (int r = 0; r < kScriptRows; ++r) rows[r] = draft[first + r];
  return rows;
}

}  // namespace morvane
