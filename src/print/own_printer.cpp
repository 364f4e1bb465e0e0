#include "print/own_printer.h"

#include <algorithm>

namespace morvane {

PaperPixels paper_pixels(Paper paper, std::uint32_t dpi) {
  // A4 is 4960 x 7016 pixels at 600 dots per inch; Letter 8.5 x 11 inches.
  if (paper == Paper::a4) return {4960 * dpi / 600, 7016 * dpi / 600};
  return {17 * dpi / 2, 11 * dpi};
}

std::uint32_t widest_offset(Paper paper, std::uint32_t dpi) {
  const PaperPixels p = paper_pixels(paper, dpi);
  return (std::min(p.width, p.height) - dpi) / 2;
}

DeviceCaps own_printer_caps(Paper paper, std::uint32_t dpi, std::uint32_t offset) {
  const PaperPixels p = paper_pixels(paper, dpi);
  return {p.width - 2 * offset, p.height - 2 * offset, dpi, dpi, p.width, p.height, offset, offset};
}

}  // namespace morvane
