// Plotter command lines, any bytes: the number and pair readers keep the scan
// inside the line and always move it forward, and they read exactly what the
// C library's conversions read (strtol, and strtod for everything but the
// hexadecimal forms, which the plotter never reads).
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emul/plotter_internal.h"

namespace {

using namespace morvane;

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_plotter_numbers: %s\n", what);
  std::abort();
}

bool blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtod's reading truncated toward zero; false when outside -999..999.
bool reference_step(const char* p, std::int32_t& out) {
  out = 0;
  while (blank(*p)) ++p;
  const char* digits = p + (*p == '+' || *p == '-');
  if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) return true;  // "0x10" reads as 0
  const double value = std::strtod(p, nullptr);
  if (!std::isfinite(value)) return false;
  const double whole = std::trunc(value);
  if (whole < -999 || whole > 999) return false;
  out = static_cast<std::int32_t>(whole);
  return true;
}

std::size_t next_comma(const char* line, std::size_t pos) {
  while (line[pos] != '\0' && line[pos] != ',') ++pos;
  return pos;
}

std::size_t past_separator(const char* line, std::size_t pos) {
  if (line[pos] != ',') return pos;
  return line[pos + 1] == ',' ? std::strlen(line) : pos + 1;
}

void check_pairs(const char* line, std::size_t length) {
  PlotScan s{line};
  std::size_t ref = 0;
  for (int pairs = 0; pairs < 200 && !s.at_end(); ++pairs) {
    const std::size_t before = s.pos;
    std::int32_t x = 0, y = 0, rx = 0, ry = 0;
    const bool accepted = read_pair(s, x, y);
    check(s.pos <= length, "pair scan left the line");
    // The reference: x, separator, y (none at the end), separator.
    const bool x_ok = reference_step(line + ref, rx);
    ref = past_separator(line, next_comma(line, ref));
    bool ref_accepted = false;
    if (line[ref] != '\0') {
      const bool y_ok = reference_step(line + ref, ry);
      ref = next_comma(line, ref);
      ref_accepted = x_ok && y_ok;
      if (ref_accepted) ref = past_separator(line, ref);
    }
    check(accepted == ref_accepted, "a pair accepted differently from the standard conversion");
    if (!accepted) return;
    check(x == rx && y == ry, "a pair read differently from the standard conversion");
    check(s.pos == ref, "the scan stopped elsewhere");
    check(s.pos > before, "the scan did not move on");
  }
}

void check_numbers(const char* line, std::size_t length) {
  PlotScan s{line};
  while (!s.at_end()) {
    const std::size_t before = s.pos;
    errno = 0;
    long expected = std::strtol(line + s.pos, nullptr, 10);
    if (expected > INT32_MAX) expected = INT32_MAX;
    if (expected < INT32_MIN) expected = INT32_MIN;
    check(read_number(s) == expected, "a number read differently from strtol");
    check(s.pos <= length, "number scan left the line");
    if (s.pos == before) return;  // a doubled comma or the end: nothing more to read
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A command line holds at most 132 characters and ends at a zero byte.
  std::string line(reinterpret_cast<const char*>(data), size < 132 ? size : 132);
  line.resize(std::strlen(line.c_str()));
  check_pairs(line.c_str(), line.size());
  check_numbers(line.c_str(), line.size());
  return 0;
}
