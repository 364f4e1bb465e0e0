// Reading numbers and coordinate pairs off a plotter command line. Values
// come from std::from_chars: the standard conversion, correctly rounded, and
// never dependent on a locale.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "emul/plotter_internal.h"

namespace morvane {

namespace {

constexpr std::int32_t kMaxStep = 999;
constexpr std::int64_t kExponentLimit = 1'000'000;  // far beyond any double

bool is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }

// Blanks and an optional sign, as the standard conversions take them; true
// for a minus sign.
bool skip_blanks_and_sign(const char*& p) {
  while (is_blank(*p)) ++p;
  if (!is_sign(*p)) return false;
  return *p++ == '-';
}

// The scan moves on to the next comma, or to the end of the line.
void move_to_comma(PlotScan& s) {
  while (!s.at_end() && s.peek() != ',') ++s.pos;
}

// The power of ten of a decimal number's leading significant digit, its
// exponent included. Only its sign is used: it tells a number too large for
// a double from one too close to zero, which the conversion reports alike.
std::int64_t leading_power(const char* p) {
  std::int64_t power = 0;
  bool found = false;
  for (; is_digit(*p); ++p) {
    if (found) ++power;
    found = found || *p != '0';
  }
  if (*p == '.') {
    for (++p; is_digit(*p); ++p) {
      if (!found) --power;
      found = found || *p != '0';
    }
  }
  if (*p == 'e' || *p == 'E') {
    ++p;
    const bool negative = is_sign(*p) && *p++ == '-';
    std::int64_t exponent = 0;
    for (; is_digit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), kExponentLimit);
    power += negative ? -exponent : exponent;
  }
  return power;
}

// A decimal number with fraction and exponent (0 when there is none),
// truncated toward zero. False when its whole part lies outside -999..999,
// infinities and NaNs included. Hexadecimal forms are not read: "0x10" is 0.
bool read_whole_step(const char* p, std::int32_t& out) {
  const bool negative = skip_blanks_and_sign(p);
  out = 0;
  if (is_sign(*p)) return true;  // a second sign: no number
  double value = 0;
  const auto result = std::from_chars(p, p + std::strlen(p), value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return true;
  if (result.ec == std::errc::result_out_of_range) return leading_power(p) < 0;  // below the smallest double: 0
  if (!std::isfinite(value)) return false;
  const double whole = std::trunc(value);
  if (whole > kMaxStep) return false;
  out = static_cast<std::int32_t>(negative ? -whole : whole);
  return true;
}

}  // namespace

// The integer conversion's reading, saturated at the 32-bit limits.
std::int32_t read_number(PlotScan& s) {
  const char* p = s.line + s.pos;
  const bool negative = skip_blanks_and_sign(p);
  std::int64_t n = 0;
  if (is_digit(*p)) {
    const char* end = p;
    while (is_digit(*end)) ++end;
    if (std::from_chars(p, end, n).ec == std::errc::result_out_of_range) n = INT64_MAX;
  }
  if (negative) n = -n;
  if (n > INT32_MAX) n = INT32_MAX;
  if (n < INT32_MIN) n = INT32_MIN;
  move_to_comma(s);
  skip_separator(s);
  return static_cast<std::int32_t>(n);
}

bool read_pair(PlotScan& s, std::int32_t& x, std::int32_t& y) {
  const bool x_ok = read_whole_step(s.line + s.pos, x);
  move_to_comma(s);
  skip_separator(s);
  if (s.at_end()) return false;
  const bool y_ok = read_whole_step(s.line + s.pos, y);
  move_to_comma(s);
  if (!x_ok || !y_ok || x < -kMaxStep || x > kMaxStep || y < -kMaxStep || y > kMaxStep)
    return false;
  skip_separator(s);
  return true;
}

void skip_separator(PlotScan& s) {
  if (s.peek() != ',') return;
  if (s.line[s.pos + 1] == ',') {
    while (!s.at_end()) ++s.pos;
  } else {
    ++s.pos;
  }
}

}  // namespace morvane
