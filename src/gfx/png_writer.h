// PNG files of the Windows build: the pixels are compressed by the system's
// own encoder (the Windows Imaging Component, also in Wine), and every file
// is stored whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

// Rows of 24-bit pixels (blue, green, red), top row first, each row `stride`
// bytes after the one before it, as GetDIBits gives them.
struct BgrImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t stride = 0;
  std::vector<std::uint8_t> bytes;
};

// What went wrong: the step ("encoding the image", "writing") and the
// system's code for it, a Windows error or an HRESULT (0 when there is none).
struct WriteFailure {
  std::string step;
  std::uint32_t code = 0;
};

// The image as the bytes of a PNG file: 8-bit RGB, the pixels unchanged.
// The imaging component is started once per process, at the first call, on
// the calling thread, and stopped when the process exits.
bool encode_png(const BgrImage& image, std::vector<std::uint8_t>& png, WriteFailure& failure);

// Stores the bytes as the file `path`: written to a new private file beside
// it, flushed to the disk, then renamed over it. A run that fails or is
// killed part way leaves the old file or none, never part of one; its
// temporary file ends in ".tmp".
bool store_whole_file(const std::string& path, const std::vector<std::uint8_t>& bytes,
                      WriteFailure& failure);

// Both of the above.
bool write_png(const std::string& path, const BgrImage& image, WriteFailure& failure);

}  // namespace morvane
