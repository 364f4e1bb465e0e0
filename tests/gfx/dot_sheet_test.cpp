// The dot face on the sheet: characters and bit images as round dots exactly
// where the layout puts them, and the TrueType face left as it was.
#include <gtest/gtest.h>

#include <string>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/dots/dot_layout.h"
#include "gfx/dot_pixels.h"
#include "gfx/sheet_support.h"

namespace morvane {
namespace {

using test::courier;
using test::kBlack;
using test::kWhite;

CharCell cell(std::int32_t advance, std::int32_t line_height) {
  CharCell c;
  c.advance = advance;
  c.line_height = line_height;
  return c;
}

TEST(DotSheet, CharactersAreRoundDotsWhereTheLayoutPutsThem) {
  struct Case {
    const char* name;
    unsigned char ch;
    CharCell cell;
    bool underline;
  };
  CharCell styled = cell(120, 240);
  styled.emphasized = styled.double_strike = true;
  CharCell wide = cell(240, 240);
  wide.wide = true;
  CharCell script = cell(60, 240);
  script.script = true;
  const Case cases[] = {
      {"plain H", 'H', cell(120, 240), false},
      {"emphasized double strike g", 'g', styled, true},
      {"double width e", 'e', wide, false},
      {"subscript 2", '2', script, true},
      // Too large for a kept mask: painted by cairo, to the same rule.
      {"huge M", 'M', cell(500, 1000), false},
  };
  for (const Case& k : cases) {
    const std::int32_t w = k.cell.advance + 40;
    const std::int32_t h = k.cell.line_height + 40;
    FontDesc f = courier(-24);
    f.underline = k.underline ? 1 : 0;
    CairoSheet sheet(w, h, Face::dots);
    sheet.print_char(17, 13, static_cast<char>(k.ch), f, kBlack, k.cell);
    const DotPattern p = char_dots(k.ch, k.cell, k.underline);
    ASSERT_FALSE(p.dots.empty()) << k.name;
    EXPECT_EQ(test::pixels_off_the_dots(
                  p, 17, 13, w, h, [&](int x, int y) { return sheet.pixel(x, y) == kBlack; },
                  [&](int x, int y) { return sheet.pixel(x, y) == kWhite; }),
              0)
        << k.name;
  }
}

TEST(DotSheet, TrueTypeFaceDrawsTheCharacterInItsFont) {
  CairoSheet dots(80, 60, Face::dots);
  CairoSheet truetype(80, 60);
  CairoSheet text(80, 60);
  const FontDesc f = courier(-24);
  CharCell c = cell(14, 27);
  c.double_strike = true;
  dots.print_char(10, 10, 'A', f, kBlack, c);
  truetype.print_char(10, 10, 'A', f, kBlack, c);
  text.draw_text(10, 10, "A", 1, f, kBlack);
  int differ = 0, differ_from_dots = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 80; ++x) {
      differ += truetype.pixel(x, y) != text.pixel(x, y);
      differ_from_dots += truetype.pixel(x, y) != dots.pixel(x, y);
    }
  }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(differ_from_dots, 20);
}

TEST(DotSheet, BitImagesAreOpaqueStripsOfRoundDots) {
  const std::uint8_t columns[] = {0x80, 0x01, 0xFF, 0x00, 0x00, 0x55, 0xAA, 0x81, 0x00, 0x00, 0x18};
  const int n = sizeof columns;
  const auto bit = [&](int k, int r) {
    return k >= 0 && k < n && r >= 0 && r < 8 && (columns[k] & (0x80 >> r)) != 0;
  };
  // As the screen page gets them, one column at a time, and a whole strip.
  for (const bool one_by_one : {true, false}) {
    CairoSheet sheet(40, 20, Face::dots);
    sheet.fill_rect(0, 0, 40, 20, kBlack);  // earlier ink: the strip replaces it
    if (one_by_one) {
      for (int k = 0; k < n; ++k) sheet.blit_columns(5 + k, 6, &columns[k], 1);
    } else {
      sheet.blit_columns(5, 6, columns, n);
    }
    for (int k = 0; k < n; ++k) {
      for (int r = 0; r < 8; ++r) {
        const int level = static_cast<int>(red_of(sheet.pixel(5 + k, 6 + r)));
        if (bit(k, r)) {
          EXPECT_LT(level, 110) << k << "," << r;
        } else if (!bit(k - 1, r) && !bit(k + 1, r) && !bit(k, r - 1) && !bit(k, r + 1)) {
          EXPECT_GT(level, 200) << k << "," << r;
        }
      }
    }
    // Outside the strip the earlier ink stays.
    EXPECT_EQ(sheet.pixel(4, 3), kBlack);
    EXPECT_EQ(sheet.pixel(5 + n + 2, 10), kBlack);
  }
}

}  // namespace
}  // namespace morvane
