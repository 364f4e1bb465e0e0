// What the tests of the cairo sheet and the PDF printer share: paper and ink,
// and the font the program asks for by default.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace morvane::test {

constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kBlack = rgb(0, 0, 0);

inline FontDesc courier(std::int32_t height) {
  FontDesc f;
  f.height = height;
  f.weight = 400;
  f.set_face("Courier New");
  return f;
}

}  // namespace morvane::test
