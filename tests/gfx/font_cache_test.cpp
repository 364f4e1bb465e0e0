// Which face a font is drawn in: its own when installed, one that the font
// configuration sets up to stand for it, and otherwise a fixed-pitch face,
// so that the page's columns stay where the layout puts them.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <set>
#include <string>

#include "gfx/cairo/font_cache.h"

namespace morvane {
namespace {

FontDesc font_named(const char* face, std::int32_t weight, std::uint8_t italic) {
  FontDesc f;
  f.height = -24;
  f.weight = weight;
  f.italic = italic;
  f.pitch_and_family = 0x12;  // as the page font asks: variable pitch, roman
  f.set_face(face);
  return f;
}

// The distinct advances of the printable ASCII characters in the face the
// cache draws `font` in.
std::set<double> ascii_advances(FontCache& cache, const FontDesc& font) {
  const RealisedFont& r = cache.get(font);
  std::set<double> advances;
  if (r.face == nullptr) return advances;
  cairo_matrix_t size, identity;
  cairo_matrix_init_scale(&size, r.em, r.em);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(r.face, &size, &identity, options);
  for (char c = 0x20; c < 0x7F; ++c) {
    const char text[2] = {c, '\0'};
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(scaled, text, &extents);
    advances.insert(extents.x_advance);
  }
  cairo_scaled_font_destroy(scaled);
  cairo_font_options_destroy(options);
  return advances;
}

TEST(FontCacheFaces, InstalledConfiguredAndStandInFaces) {
  struct Case {
    const char* name;
    const char* family;  // the face drawn; null: any face but the one named
    bool stand_in;
  };
  const Case cases[] = {
      {"Liberation Mono", "Liberation Mono", false},  // installed
      {"liberation mono", "Liberation Mono", false},  // names are not case-sensitive
      {"Liberation Sans", "Liberation Sans", false},  // installed, proportional: as asked
      {"Courier New", "Liberation Mono", false},      // set up to stand for it, same metrics
      {"Arial", "Liberation Sans", false},
      {"Morvane No Such Face", nullptr, true},
      {"Lucida Consolx", nullptr, true},
  };
  for (const Case& c : cases) {
    for (const std::int32_t weight : {400, 700}) {
      for (const std::uint8_t italic : {0, 1}) {
        SCOPED_TRACE(std::string(c.name) + " weight " + std::to_string(weight) + (italic ? " italic" : ""));
        FontCache cache;
        const FontDesc font = font_named(c.name, weight, italic);
        const std::string family = cache.family_of(font);
        EXPECT_EQ(cache.is_stand_in(font), c.stand_in);
        if (c.family != nullptr) {
          EXPECT_EQ(family, c.family);
        } else {
          EXPECT_FALSE(family.empty());
          EXPECT_NE(family, c.name);
        }
        if (c.stand_in) {
          // Fixed pitch, and the characters spaced by that pitch (not by the
          // widest glyph the face has elsewhere).
          const std::set<double> advances = ascii_advances(cache, font);
          ASSERT_EQ(advances.size(), 1u) << family << " is not fixed-pitch";
          EXPECT_EQ(cache.get(font).metrics.max_char_width, std::lround(*advances.begin())) << family;
        }
      }
    }
  }
}

// A font without a face name is drawn in the generic family its pitch and
// family bits ask for, and is nobody's stand-in.
TEST(FontCacheFaces, NoFaceNameTakesTheGenericFamily) {
  FontCache cache;
  FontDesc fixed = font_named("", 400, 0);
  fixed.pitch_and_family = 0x31;  // FIXED_PITCH | FF_MODERN
  EXPECT_FALSE(cache.is_stand_in(fixed));
  EXPECT_EQ(ascii_advances(cache, fixed).size(), 1u) << cache.family_of(fixed);
}

}  // namespace
}  // namespace morvane
