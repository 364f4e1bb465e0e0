// The stroke face's characters as the converter made them from the Hershey
// data: capitals and digits stand on the baseline and reach the cap height,
// only the descending letters go below it, every stroke stays within its
// character's cell, and bytes outside the table draw nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gfx/strokes/stroke_font.h"

namespace morvane::strokes {
namespace {

struct Extent {
  double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
};

// The character in font units (x right, y up).
Extent extent_of(unsigned char ch, Strokes* out = nullptr) {
  Strokes s;
  add_glyph(s, ch, GlyphFrame{{0, 0}, {1, 0}, {0, 1}});
  Extent e;
  for (const PenPoint& p : s.points) {
    e.left = std::min(e.left, p.x);
    e.right = std::max(e.right, p.x);
    e.bottom = std::min(e.bottom, p.y);
    e.top = std::max(e.top, p.y);
  }
  if (out != nullptr) *out = s;
  return e;
}

TEST(StrokeFace, EveryPrintableCharacterIsDrawnInsideItsCell) {
  for (unsigned ch = 0x21; ch <= 0x7E; ++ch) {
    SCOPED_TRACE(static_cast<char>(ch));
    Strokes s;
    const Extent e = extent_of(static_cast<unsigned char>(ch), &s);
    ASSERT_FALSE(s.empty());
    for (std::size_t k = 0; k < s.starts.size(); ++k) EXPECT_LT(s.starts[k], s.line_end(k));
    const std::int8_t* bounds = kGlyphBounds[ch - 0x20];
    EXPECT_GE(e.left, bounds[0]);
    EXPECT_LE(e.right, bounds[1]);
    EXPECT_GE(e.bottom, -kDescent - 2);  // brackets reach a little lower
    EXPECT_LE(e.top, kCapHeight + 4);    // and higher
  }
}

TEST(StrokeFace, CapitalsAndDigitsStandOnTheBaselineAtCapHeight) {
  for (const char* set : {"ABCDEFGHIJKLMNOPRSTUVWXYZ", "0123456789"}) {
    for (const char* c = set; *c != '\0'; ++c) {
      SCOPED_TRACE(*c);
      const Extent e = extent_of(static_cast<unsigned char>(*c));
      EXPECT_NEAR(e.bottom, 0, 1);  // round letters overshoot by a unit
      EXPECT_NEAR(e.top, kCapHeight, 1);
    }
  }
  const Extent h = extent_of('H');
  EXPECT_EQ(h.right - h.left, kCapWidth);
}

TEST(StrokeFace, OnlyDescendingLettersGoBelowTheBaseline) {
  for (unsigned ch = 'a'; ch <= 'z'; ++ch) {
    SCOPED_TRACE(static_cast<char>(ch));
    const bool descends = std::strchr("gjpqy", static_cast<int>(ch)) != nullptr;
    EXPECT_EQ(extent_of(static_cast<unsigned char>(ch)).bottom < -1, descends);
  }
}

// Bytes past the table (the face has 0x20 to 0x7E) must not be read from it.
TEST(StrokeFace, BlanksAndOtherBytesDrawNothing) {
  for (unsigned ch : {0x00u, 0x0Du, 0x20u, 0x7Fu, 0x80u, 0xFFu}) {
    Strokes s;
    add_glyph(s, static_cast<unsigned char>(ch), GlyphFrame{{5, 5}, {1, 0}, {0, -1}});
    EXPECT_TRUE(s.empty()) << ch;
  }
}

}  // namespace
}  // namespace morvane::strokes
