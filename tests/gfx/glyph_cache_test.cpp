// The sheet's kept character masks must give exactly the pixels cairo gives
// when it draws the same character itself.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/cairo/glyph_cache.h"
#include "gfx/cairo/text.h"

namespace morvane {
namespace {

constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kBlack = rgb(0, 0, 0);

FontDesc font_of(const char* face, std::int32_t height) {
  FontDesc f;
  f.height = height;
  f.weight = 400;
  f.set_face(face);
  return f;
}

struct Rect {
  std::int32_t x0, y0, x1, y1;
  Color color;
};

// A background with coloured bands, so that blending over ink other than
// white is compared too.
const Rect kBands[] = {
    {0, 0, 240, 140, kWhite},
    {0, 30, 240, 50, rgb(198, 195, 198)},
    {60, 0, 90, 140, rgb(20, 200, 90)},
};

struct Draw {
  std::int32_t x, y;
  std::string text;
  Color color;
};

// Characters of every shape, repeated (the second time from the cache),
// overlapping, and hanging over each edge of the sheet.
std::vector<Draw> draws() {
  std::vector<Draw> d;
  const std::string chars = "AgWj@_|%\xE9\x80 \x81~Mi";
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const auto x = static_cast<std::int32_t>(5 + 14 * i);
    d.push_back({x, 10, chars.substr(i, 1), kBlack});
    d.push_back({x + 3, 35, chars.substr(i, 1), rgb(0, 0, 0x84)});
    d.push_back({x, 70, chars.substr(i, 1), rgb(200, 30, 10)});
  }
  d.push_back({30, 10, "X", rgb(90, 90, 90)});  // over the 'W' drawn before
  d.push_back({-6, 100, "W", kBlack});
  d.push_back({230, 100, "W", kBlack});
  d.push_back({100, -9, "g", kBlack});
  d.push_back({100, 125, "g", kBlack});
  d.push_back({120, 100, std::string(1, '\0'), kBlack});
  return d;
}

std::uint32_t raw_pixel(cairo_surface_t* s, int x, int y) {
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
}

Color color_of(std::uint32_t p) { return rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// Draws the same scene on the sheet and, with cairo alone, on a bare image;
// returns how many pixels differ and the first one that does.
int differences(const FontDesc& font, std::string& first) {
  CairoSheet sheet(240, 140);
  cairo_surface_t* ref = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 240, 140);
  cairo_t* cr = cairo_create(ref);
  FontCache fonts;
  for (const Rect& r : kBands) {
    sheet.fill_rect(r.x0, r.y0, r.x1, r.y1, r.color);
    set_source_color(cr, r.color);
    cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    cairo_fill(cr);
  }
  for (const Draw& d : draws()) {
    sheet.draw_text(d.x, d.y, d.text.data(), d.text.size(), font, d.color);
    show_text(cr, fonts.get(font), font, d.x, d.y, d.text.data(), d.text.size(), d.color);
  }
  cairo_destroy(cr);
  cairo_surface_flush(ref);
  int n = 0;
  for (int y = 0; y < 140; ++y) {
    for (int x = 0; x < 240; ++x) {
      const Color want = color_of(raw_pixel(ref, x, y));
      const Color got = sheet.pixel(x, y);
      if (want == got) continue;
      if (n++ == 0) {
        first = "at " + std::to_string(x) + "," + std::to_string(y) + " cairo " +
                std::to_string(want) + " sheet " + std::to_string(got);
      }
    }
  }
  cairo_surface_destroy(ref);
  return n;
}

TEST(GlyphCache, CachedCharactersMatchCairoPixelForPixel) {
  struct Case {
    const char* what;
    FontDesc font;
  };
  std::vector<Case> cases;
  const FontDesc plain = font_of("Courier New", -24);
  cases.push_back({"plain", plain});
  FontDesc f = plain;
  f.weight = 700;
  cases.push_back({"bold", f});
  f = plain;
  f.underline = 1;
  cases.push_back({"underline", f});
  f.strike_out = 1;
  f.weight = 700;
  cases.push_back({"bold, underline and strike-out", f});
  f = plain;
  f.width = 7;
  cases.push_back({"condensed to width 7", f});
  f.width = 28;
  f.underline = 1;
  cases.push_back({"expanded to width 28, underlined", f});
  f = plain;
  f.italic = 1;
  cases.push_back({"italic", f});
  f = plain;
  f.escapement = 900;
  cases.push_back({"escapement 900", f});
  f.escapement = 3600;
  cases.push_back({"escapement 3600 (upright)", f});
  cases.push_back({"cell height 40", font_of("Courier New", 40)});
  cases.push_back({"small", font_of("Courier New", -8)});
  cases.push_back({"proportional sans", font_of("Arial", -20)});
  cases.push_back({"proportional serif", font_of("Times New Roman", -30)});
  cases.push_back({"too large to keep", font_of("Courier New", -300)});
  for (const Case& c : cases) {
    std::string first;
    EXPECT_EQ(differences(c.font, first), 0) << c.what << ": " << first;
  }
}

// blend_pixel against pixman's own OVER of a solid colour through every
// coverage level, on several backgrounds.
TEST(GlyphCache, BlendPixelIsPixmansOverThroughAMask) {
  const Color colors[] = {kBlack, rgb(0, 0, 0x84), rgb(200, 30, 10), kWhite};
  const Color grounds[] = {kWhite, rgb(198, 195, 198), rgb(10, 250, 128), kBlack};
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, 256, 1);
  cairo_surface_flush(mask);
  unsigned char* levels = cairo_image_surface_get_data(mask);
  for (int m = 0; m < 256; ++m) levels[m] = static_cast<unsigned char>(m);
  cairo_surface_mark_dirty(mask);
  for (Color src : colors) {
    for (Color ground : grounds) {
      cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 256, 1);
      cairo_t* cr = cairo_create(dst);
      set_source_color(cr, ground);
      cairo_paint(cr);
      set_source_color(cr, src);
      cairo_mask_surface(cr, mask, 0, 0);
      cairo_destroy(cr);
      cairo_surface_flush(dst);
      const std::uint32_t s = (red_of(src) << 16) | (green_of(src) << 8) | blue_of(src);
      const std::uint32_t g = (red_of(ground) << 16) | (green_of(ground) << 8) | blue_of(ground);
      for (int m = 0; m < 256; ++m) {
        ASSERT_EQ(blend_pixel(s, static_cast<std::uint8_t>(m), g), raw_pixel(dst, m, 0))
            << "level " << m << " colour " << src << " on " << ground;
      }
      cairo_surface_destroy(dst);
    }
  }
  cairo_surface_destroy(mask);
}

// Sizes agree, and each row's inked columns hold all of its coverage.
void expect_well_formed(const GlyphMask& m) {
  ASSERT_EQ(m.alpha.size(), static_cast<std::size_t>(m.width) * m.height);
  ASSERT_EQ(m.inked.size(), 2 * static_cast<std::size_t>(m.height));
  for (std::int32_t y = 0; y < m.height; ++y) {
    const std::int32_t first = m.inked[2 * y];
    const std::int32_t last = m.inked[2 * y + 1];
    ASSERT_LE(0, first);
    ASSERT_LE(first, last);
    ASSERT_LE(last, m.width);
    for (std::int32_t x = 0; x < m.width; ++x) {
      if (x < first || x >= last) {
        EXPECT_EQ(m.alpha[y * m.width + x], 0) << x << "," << y;
      }
    }
    if (first < last) {
      EXPECT_NE(m.alpha[y * m.width + first], 0);
      EXPECT_NE(m.alpha[y * m.width + last - 1], 0);
    }
  }
}

TEST(GlyphCache, KeepsMasksAndRefusesWhatItCannotKeep) {
  FontCache fonts;
  GlyphCache cache;
  const FontDesc f = font_of("Courier New", -24);
  const GlyphMask* a = cache.get(f, 'A', fonts);
  ASSERT_NE(a, nullptr);
  expect_well_formed(*a);
  EXPECT_GT(a->width, 0);
  EXPECT_GE(a->left, 0);  // inside the 14-unit cell, on the 20-unit baseline
  EXPECT_LE(a->left + a->width, 15);
  EXPECT_LE(a->top + a->height, 21);
  const std::size_t kept = cache.bytes();
  EXPECT_EQ(cache.get(f, 'A', fonts), a);  // kept, not made again
  EXPECT_EQ(cache.bytes(), kept);
  const GlyphMask* space = cache.get(f, ' ', fonts);
  ASSERT_NE(space, nullptr);
  EXPECT_EQ(space->width, 0);
  const FontDesc huge = font_of("Courier New", -1000);
  EXPECT_EQ(cache.get(huge, 'A', fonts), nullptr);
}

TEST(GlyphCache, MemoryStaysBoundedOverManyFonts) {
  FontCache fonts;
  GlyphCache cache;
  for (std::int32_t h = 8; h < 160; h += 1) {
    const FontDesc f = font_of("Courier New", -h);
    for (int c = 'A'; c <= 'Z'; c += 5) {
      const GlyphMask* m = cache.get(f, static_cast<unsigned char>(c), fonts);
      if (m != nullptr) expect_well_formed(*m);
      ASSERT_LE(cache.bytes(), GlyphCache::kMaxBytes);
    }
  }
  // Still correct after fonts were dropped and made again.
  const FontDesc f = font_of("Courier New", -24);
  const GlyphMask* a = cache.get(f, 'A', fonts);
  ASSERT_NE(a, nullptr);
  EXPECT_GT(a->width, 0);
}

TEST(GlyphCache, FarOffPositionsDrawNothing) {
  CairoSheet s(50, 50);
  const FontDesc f = font_of("Courier New", -24);
  for (auto [x, y] : {std::pair{INT32_MIN, 0}, {INT32_MAX, 0}, {0, INT32_MIN}, {0, INT32_MAX},
                      {-30, 10}, {60, 10}, {10, -40}, {10, 60}}) {
    s.draw_text(x, y, "W", 1, f, kBlack);
  }
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 50; ++x) ASSERT_EQ(s.pixel(x, y), kWhite) << x << "," << y;
  }
}

}  // namespace
}  // namespace morvane
