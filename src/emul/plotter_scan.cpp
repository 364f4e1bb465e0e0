// Reading numbers and coordinate pairs off a plotter command line. Values are
// worked out from the decimal digits themselves, so the result never depends
// on a locale or on the rounding of a floating-point conversion.
#include <cstdint>
#include <string_view>

#include "emul/plotter_internal.h"

namespace morvane {

namespace {

constexpr std::int64_t kSaturate = 1'000'000'000'000LL;  // far beyond any accepted value
constexpr std::int32_t kMaxStep = 999;

bool is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Blanks and an optional sign; returns -1 for a minus sign, else 1.
int skip_blanks_and_sign(const char*& p) {
  while (is_blank(*p)) ++p;
  if (*p == '-') {
    ++p;
    return -1;
  }
  if (*p == '+') ++p;
  return 1;
}

// The scan moves on to the next comma, or to the end of the line.
void move_to_comma(PlotScan& s) {
  while (!s.at_end() && s.peek() != ',') ++s.pos;
}

bool starts_with_word(const char* p, std::string_view word) {
  for (char w : word) {
    const char c = *p++;
    if (c != w && c != w - 'a' + 'A') return false;
  }
  return true;
}

// A decimal number with fraction and exponent, truncated toward zero.
// False when its whole part lies outside -999..999 (infinities and NaNs
// included, as the standard conversion would produce them).
bool read_whole_step(const char* p, std::int32_t& out) {
  const int sign = skip_blanks_and_sign(p);
  if (starts_with_word(p, "inf") || starts_with_word(p, "nan")) return false;

  // Significant digits (leading zeros dropped) and the place of the point
  // among them: the value is 0.<digits> x 10^point.
  std::int32_t whole = 0;  // the digits before the point, once known
  char digits[4] = {};     // at most three whole digits matter
  int count = 0;
  int point = 0;
  bool seen_digit = false;
  bool in_fraction = false;
  for (;; ++p) {
    if (*p == '.' && !in_fraction) {
      in_fraction = true;
      continue;
    }
    if (!is_digit(*p)) break;
    seen_digit = true;
    if (count == 0 && *p == '0') {
      if (in_fraction) --point;
      continue;
    }
    if (count < 4) digits[count] = *p;
    ++count;
    if (!in_fraction) ++point;
  }
  if (!seen_digit || count == 0) {  // no number, or zero whatever the exponent
    out = 0;
    return true;
  }
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    int esign = 1;
    if (*q == '+' || *q == '-') esign = *q++ == '-' ? -1 : 1;
    std::int64_t exp = 0;
    for (; is_digit(*q); ++q) {
      if (exp < kSaturate) exp = exp * 10 + (*q - '0');
    }
    const std::int64_t moved = point + esign * exp;  // no digits: exp 0, nothing moves
    point = moved > 100 ? 100 : (moved < -100 ? -100 : static_cast<int>(moved));
  }
  if (point > 3) return false;
  for (int i = 0; i < point; ++i) whole = whole * 10 + (i < count ? digits[i] - '0' : 0);
  out = sign * whole;
  return true;
}

}  // namespace

std::int32_t read_number(PlotScan& s) {
  const char* p = s.line + s.pos;
  const int sign = skip_blanks_and_sign(p);
  std::int64_t n = 0;
  for (; is_digit(*p); ++p) {
    if (n < kSaturate) n = n * 10 + (*p - '0');
  }
  n *= sign;
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
