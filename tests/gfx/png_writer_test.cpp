// PNG files of the Windows build, under Wine: what the encoder writes decodes
// to the very pixels it was given, is compressed, and reaches the disk whole
// or not at all.
#include "gfx/png_writer.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace morvane {
namespace {

namespace fs = std::filesystem;

// Pixels as 24-bit rows of `width * 3` bytes, without padding.
using Rows = std::vector<std::uint8_t>;

Rows unpadded(const BgrImage& image) {
  Rows rows;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const auto* row = image.bytes.data() + std::size_t{image.stride} * y;
    rows.insert(rows.end(), row, row + std::size_t{image.width} * 3);
  }
  return rows;
}

// Decodes PNG bytes through the imaging component; false when it cannot or
// when the pixels are not plain 24-bit BGR as stored.
bool decode(const std::vector<std::uint8_t>& png, std::uint32_t& width, std::uint32_t& height, Rows& rows) {
  IWICImagingFactory* factory = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory))))
    return false;
  IWICStream* stream = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  WICPixelFormatGUID format{};
  bool ok = SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size()))) &&
            SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
            SUCCEEDED(frame->GetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR);
  if (ok) {
    rows.assign(std::size_t{width} * height * 3, 0);
    ok = SUCCEEDED(frame->CopyPixels(nullptr, width * 3, static_cast<UINT>(rows.size()), rows.data()));
  }
  for (IUnknown* p : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder), static_cast<IUnknown*>(stream),
                      static_cast<IUnknown*>(factory)})
    if (p != nullptr) p->Release();
  return ok;
}

std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

enum class Fill { white, noise, page };

// An image whose padding bytes are junk: they must not reach the file.
BgrImage make_image(std::uint32_t width, std::uint32_t height, Fill fill, unsigned seed) {
  BgrImage image;
  image.width = width;
  image.height = height;
  image.stride = (width * 3 + 3) & ~3u;
  image.bytes.assign(std::size_t{image.stride} * height, 0xAB);
  std::mt19937 random(seed);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      auto* p = image.bytes.data() + std::size_t{image.stride} * y + x * 3;
      std::uint8_t v[3] = {255, 255, 255};
      if (fill == Fill::noise) {
        for (auto& c : v) c = static_cast<std::uint8_t>(random());
      } else if (fill == Fill::page && y % 27 < 17 && (x / 14) % 5 != 4 && random() % 3 == 0) {
        // Text-like lines: dark strokes with a few grey edges and a pen colour.
        const auto shade = static_cast<std::uint8_t>(random() % 4 == 0 ? 128 : 0);
        v[0] = v[1] = v[2] = shade;
        if (x % 97 == 0) v[0] = 200;
      }
      std::copy(v, v + 3, p);
    }
  }
  return image;
}

class PngEncoding : public ::testing::Test {
 protected:
  // The test's own decoder needs COM on this thread; the writer starts it for
  // itself as well, and each start is balanced.
  void SetUp() override { com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override {
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  HRESULT com_ = E_FAIL;
};

TEST_F(PngEncoding, DecodesToTheSamePixelsWhateverTheShape) {
  struct Case {
    std::uint32_t width, height;
    Fill fill;
  };
  // Widths 1, 2 and 5 leave padding at the end of every row.
  const Case cases[] = {{1, 1, Fill::white},  {1, 1, Fill::noise},    {2, 3, Fill::noise},
                        {5, 7, Fill::noise},  {1, 1500, Fill::noise}, {2100, 1, Fill::noise},
                        {850, 1100, Fill::page}, {300, 200, Fill::noise}};
  unsigned seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const BgrImage image = make_image(c.width, c.height, c.fill, seed++);
    std::vector<std::uint8_t> png;
    WriteFailure failure;
    ASSERT_TRUE(encode_png(image, png, failure)) << failure.step << " " << std::hex << failure.code;
    // 8-bit RGB, not interlaced, whatever the component would choose itself.
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(be32(png, 16), c.width);
    EXPECT_EQ(be32(png, 20), c.height);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);
    EXPECT_EQ(png[28], 0);
    std::uint32_t w = 0, h = 0;
    Rows rows;
    ASSERT_TRUE(decode(png, w, h, rows));
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    EXPECT_TRUE(rows == unpadded(image));
  }
}

TEST_F(PngEncoding, APageOfTextIsCompressed) {
  // Stored without compression this page takes 2.8 MB.
  const BgrImage page = make_image(850, 1100, Fill::page, 7);
  std::vector<std::uint8_t> png;
  WriteFailure failure;
  ASSERT_TRUE(encode_png(page, png, failure));
  EXPECT_LT(png.size(), unpadded(page).size() / 4);
}

TEST_F(PngEncoding, RefusesImagesShortOfTheirSize) {
  BgrImage no_width = make_image(4, 4, Fill::white, 0);
  no_width.width = 0;
  BgrImage no_height = make_image(4, 4, Fill::white, 0);
  no_height.height = 0;
  BgrImage narrow_rows = make_image(4, 4, Fill::white, 0);
  narrow_rows.stride = 11;
  BgrImage short_bytes = make_image(4, 4, Fill::white, 0);
  short_bytes.bytes.resize(short_bytes.bytes.size() - 1);
  for (const BgrImage* image : {&no_width, &no_height, &narrow_rows, &short_bytes}) {
    std::vector<std::uint8_t> png;
    WriteFailure failure;
    EXPECT_FALSE(encode_png(*image, png, failure));
    EXPECT_FALSE(failure.step.empty());
    EXPECT_TRUE(png.empty());
  }
}

// --- storing ------------------------------------------------------------------

class Folder {
 public:
  Folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() / (std::string("morvane-png-") + info->name());
    std::error_code ec;
    fs::remove_all(path_, ec);
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(path_)) out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  fs::path path_;
};

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WholeFile, AppearsCompleteOrNotAtAll) {
  enum class Before { nothing, longer_file, folder_of_that_name, no_such_folder };
  struct Case {
    const char* what;
    Before before;
    std::string bytes;
    bool stored;
  };
  const Case cases[] = {
      {"a new file", Before::nothing, "new page", true},
      {"an empty file", Before::nothing, "", true},
      {"over a longer old file", Before::longer_file, "short", true},
      {"a folder holds the name", Before::folder_of_that_name, "page", false},
      {"the folder is missing", Before::no_such_folder, "page", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Folder folder;
    std::string target = folder.file("page-0001.png");
    std::vector<std::string> expected_names = {"page-0001.png"};
    if (c.before == Before::longer_file) std::ofstream(target, std::ios::binary) << "an old page, longer than the new";
    if (c.before == Before::folder_of_that_name) fs::create_directory(target);
    if (c.before == Before::no_such_folder) {
      target = folder.file("missing/page-0001.png");
      expected_names.clear();
    }
    WriteFailure failure;
    EXPECT_EQ(store_whole_file(target, bytes_of(c.bytes), failure), c.stored);
    if (c.stored) {
      EXPECT_EQ(contents(target), c.bytes);
    } else {
      EXPECT_FALSE(failure.step.empty());
      EXPECT_NE(failure.code, 0u);
    }
    if (c.before == Before::folder_of_that_name) {
      EXPECT_TRUE(fs::is_directory(target));
    }
    // No temporary file is left behind, whatever happened.
    EXPECT_EQ(folder.names(), expected_names);
  }
}

TEST(WholeFile, ManyFilesOfOneNameInARowEachComplete) {
  Folder folder;
  const std::string target = folder.file("page-0001.png");
  for (int i = 0; i < 50; ++i) {
    const std::string text(static_cast<std::size_t>(1 + (i * 7919) % 3000), static_cast<char>('a' + i % 26));
    WriteFailure failure;
    ASSERT_TRUE(store_whole_file(target, bytes_of(text), failure)) << i;
    ASSERT_EQ(contents(target), text) << i;
  }
  EXPECT_EQ(folder.names(), std::vector<std::string>{"page-0001.png"});
}

TEST_F(PngEncoding, WritePngStoresWhatDecodesToTheImage) {
  Folder folder;
  const BgrImage image = make_image(31, 17, Fill::noise, 3);
  WriteFailure failure;
  ASSERT_TRUE(write_png(folder.file("page-0001.png"), image, failure));
  const std::string stored = contents(folder.file("page-0001.png"));
  std::uint32_t w = 0, h = 0;
  Rows rows;
  ASSERT_TRUE(decode({stored.begin(), stored.end()}, w, h, rows));
  EXPECT_TRUE(rows == unpadded(image));
  // A failing encoding writes nothing.
  BgrImage empty;
  EXPECT_FALSE(write_png(folder.file("page-0002.png"), empty, failure));
  EXPECT_EQ(folder.names(), std::vector<std::string>{"page-0001.png"});
}

}  // namespace
}  // namespace morvane
