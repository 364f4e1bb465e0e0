#include "gfx/png_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// Reference values from an independent zlib: CRC-32 of the IHDR chunk of a
// 3 x 1 RGB image, and Adler-32 of the raw row "\0Wikipedia".
TEST(PngWriter, ChunksAndChecksumsMatchReferenceValues) {
  const std::string text = "Wikipedia";
  const std::vector<std::uint8_t> rgb(text.begin(), text.end());
  const auto png = encode_png(3, 1, rgb);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(be32(png, 8), 13u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(be32(png, 16), 3u);
  EXPECT_EQ(be32(png, 20), 1u);
  EXPECT_EQ(be32(png, 29), 0x948283E3u);
  // IDAT: zlib header, one final stored block of 10 bytes, Adler-32.
  const std::size_t idat = 33;
  EXPECT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
  const std::size_t z = idat + 8;
  EXPECT_EQ(png[z + 2], 1);  // final block, stored
  EXPECT_EQ(png[z + 3] | (png[z + 4] << 8), 10);
  EXPECT_EQ(png[z + 5] | (png[z + 6] << 8), 0xFFFF - 10);
  EXPECT_EQ(png[z + 7], 0);  // the row's filter byte
  EXPECT_EQ(std::string(png.begin() + z + 8, png.begin() + z + 17), text);
  EXPECT_EQ(be32(png, z + 17), 0x11E70398u);
  // IEND and its well-known CRC close the file.
  EXPECT_EQ(be32(png, png.size() - 4), 0xAE426082u);
}

TEST(PngWriter, LargeImagesSplitIntoStoredBlocks) {
  const std::uint32_t w = 850, h = 100;  // 255100 raw bytes: four blocks
  std::vector<std::uint8_t> rgb(std::size_t{w} * h * 3, 0x7F);
  const auto png = encode_png(w, h, rgb);
  std::size_t pos = 33 + 8 + 2, total = 0;
  int blocks = 0;
  for (;;) {
    const bool last = png[pos] == 1;
    const std::size_t n = png[pos + 1] | (png[pos + 2] << 8);
    const std::size_t nlen = png[pos + 3] | (png[pos + 4] << 8);
    ASSERT_EQ(n ^ 0xFFFF, nlen);
    total += n;
    pos += 5 + n;
    ++blocks;
    if (last) break;
    ASSERT_EQ(n, 65535u);
  }
  EXPECT_EQ(total, std::size_t{h} * (w * 3 + 1));
  EXPECT_EQ(blocks, 4);
}

TEST(PngWriter, ShortPixelDataGivesNothing) {
  EXPECT_TRUE(encode_png(10, 10, std::vector<std::uint8_t>(299)).empty());
  EXPECT_FALSE(write_png("unused.png", 10, 10, std::vector<std::uint8_t>(299)));
}

}  // namespace
}  // namespace morvane
