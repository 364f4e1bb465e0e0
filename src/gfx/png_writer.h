// A PNG file from 24-bit RGB rows, with nothing but standard C++: the Windows
// build has no image library. The image data is stored uncompressed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

// rgb holds height rows of width pixels, 3 bytes each (red, green, blue).
// The whole file as bytes.
std::vector<std::uint8_t> encode_png(std::uint32_t width, std::uint32_t height,
                                     const std::vector<std::uint8_t>& rgb);

// False when the file cannot be written.
bool write_png(const std::string& path, std::uint32_t width, std::uint32_t height,
               const std::vector<std::uint8_t>& rgb);

}  // namespace morvane
