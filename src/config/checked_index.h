// Settings hold indexes exactly as read from a possibly hand-edited file; every
// table lookup goes through here so that no value can reach outside a table.
#pragma once

namespace morvane {

// value when it is a position in a table of count entries, otherwise
// fallback; a fallback that is itself no position gives 0.
constexpr int checked_index(int value, int count, int fallback) {
  if (value >= 0 && value < count) return value;
  if (fallback >= 0 && fallback < count) return fallback;
  return 0;
}

}  // namespace morvane
