// The virtual printer's paper in device pixels.
#include "cli/backend.h"

namespace morvane::cli {

bool paper_caps(Paper paper, int dpi, int offset, DeviceCaps& caps) {
  if (dpi <= 0 || offset < 0) return false;
  const auto d = static_cast<std::uint32_t>(dpi);
  // Letter is 8.5 x 11 inches; A4 is 4960 x 7016 pixels at 600 dots per inch.
  const std::uint32_t w = paper == Paper::letter ? d * 17 / 2 : 4960 * d / 600;
  const std::uint32_t h = paper == Paper::letter ? d * 11 : 7016 * d / 600;
  const auto off = static_cast<std::uint32_t>(offset);
  // At least an inch each way stays printable.
  if (off > ((w < h ? w : h) - d) / 2) return false;
  caps = {w - 2 * off, h - 2 * off, d, d, w, h, off, off};
  return true;
}

}  // namespace morvane::cli
