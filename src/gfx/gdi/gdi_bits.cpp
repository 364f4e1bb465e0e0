// GdiSurface: bit-image strips. The columns become a top-down 1-bit DIB
// (white, black) that is copied opaquely, one dot per page unit. On the
// printer the destination height is negative in logical units, which in
// MM_LOENGLISH is downwards on paper, so row 0 (bit 7) stays on top.
#include <vector>

#include "gfx/gdi/gdi_surface.h"

namespace morvane {

namespace {

// Far beyond any bit image (1920 columns) and small enough for int arithmetic.
constexpr std::size_t kMaxColumns = 32767;
constexpr int kRows = 8;

struct MonoInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[2];
};

MonoInfo mono_info(int width) {
  MonoInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = -kRows;  // top-down: row 0 first
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colors[0] = RGBQUAD{255, 255, 255, 0};  // clear bit: no dot
  info.colors[1] = RGBQUAD{0, 0, 0, 0};        // set bit: a dot
  return info;
}

// Rows of 1-bit pixels, each padded to whole 32-bit words.
std::vector<std::uint8_t> mono_rows(const std::uint8_t* columns, int count, int stride) {
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * kRows, 0);
  for (int k = 0; k < count; ++k) {
    for (int r = 0; r < kRows; ++r) {
      if (columns[k] & (0x80 >> r)) {
        bits[static_cast<std::size_t>(r * stride + k / 8)] |= static_cast<std::uint8_t>(0x80 >> (k % 8));
      }
    }
  }
  return bits;
}

}  // namespace

void GdiSurface::blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                              std::size_t count) {
  if (!columns || count == 0) return;
  if (count > kMaxColumns) count = kMaxColumns;
  const int width = static_cast<int>(count);
  const int stride = (width + 31) / 32 * 4;
  std::vector<std::uint8_t> bits = mono_rows(columns, width, stride);
  MonoInfo info = mono_info(width);
  StretchDIBits(dc_, x, dev_y(y), width, printer_ ? -kRows : kRows, 0, 0, width, kRows,
                bits.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace morvane
