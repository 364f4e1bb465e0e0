// When the splash screen closes: once more than three seconds have passed
// since it was placed. The tick counter is 32 bits and wraps after 49.7
// days; the difference is taken modulo 2^32 so a wrap never keeps it open.
#pragma once

#include <cstdint>

namespace morvane {

inline constexpr std::uint32_t kSplashMilliseconds = 3000;

constexpr bool splash_expired(std::uint32_t now, std::uint32_t start) {
  return static_cast<std::uint32_t>(now - start) > kSplashMilliseconds;
}

}  // namespace morvane
