// The dot-matrix face: every printable ASCII character as the pins a 9-pin
// head fires, on a grid of 9 rows (one per pin) by 11 columns half a step
// apart. The glyphs themselves are in dot_glyphs.cpp.
#pragma once

#include <array>
#include <cstdint>

namespace morvane {

inline constexpr int kGlyphRows = 9;
inline constexpr int kGlyphColumns = 11;
inline constexpr int kScriptRows = 7;  // superscripts and subscripts
inline constexpr int kGlyphCount = 95;  // ' ' to '~'
inline constexpr int kScriptGlyphCount = 1;

// Rows of '#' (the pin fires) and '.', kGlyphColumns characters each.
struct DraftGlyph {
  char ch;
  const char* rows[kGlyphRows];
};
struct ScriptGlyph {
  char ch;
  const char* rows[kScriptRows];
};

extern const DraftGlyph kDraftGlyphs[kGlyphCount];
extern const ScriptGlyph kScriptGlyphs[kScriptGlyphCount];

// A glyph as pins: bit c of row r fires pin r at half step c.
using DraftRows = std::array<std::uint16_t, kGlyphRows>;
using ScriptRows = std::array<std::uint16_t, kScriptRows>;

// The glyph of a printable ASCII character; no pin at all for other bytes.
DraftRows draft_rows(unsigned char ch);

// The 7-row form for superscript and subscript: the glyph's rows 0-6, or rows
// 2-8 when it descends, unless it has a form drawn for the purpose.
ScriptRows script_rows(unsigned char ch);

}  // namespace morvane
