#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/dot_pixels.h"
#include "print/virtual/print_command.h"
#include "print/virtual/virtual_printer.h"
#include "gfx/sheet_support.h"

namespace morvane {
namespace {

using test::courier;

namespace fs = std::filesystem;

std::string run_output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

// An RGB raster read from a binary PPM.
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  bool dark(int x, int y) const {
    const unsigned char* px = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return px[0] + px[1] + px[2] < 3 * 128;
  }
};

Raster read_ppm(const fs::path& path) {
  Raster r;
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> r.width >> r.height >> maxval;
  in.get();
  if (magic != "P6" || maxval != 255) return {};
  r.rgb.resize(static_cast<std::size_t>(r.width) * r.height * 3);
  in.read(reinterpret_cast<char*>(r.rgb.data()), static_cast<std::streamsize>(r.rgb.size()));
  return r;
}

// Page `page` of a PDF at 100 dpi without smoothing: one pixel per page unit.
Raster render(const fs::path& pdf, int page) {
  const fs::path stem = pdf.parent_path() / "render";
  run_output("pdftoppm -r 100 -aa no -aaVector no -singlefile -f " + std::to_string(page) +
             " -l " + std::to_string(page) + " '" + pdf.string() + "' '" + stem.string() + "'");
  return read_ppm(stem.string() + ".ppm");
}

class VirtualPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("morvane_vp_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  VirtualPrinterConfig config(bool one_file) const {
    VirtualPrinterConfig c;
    c.output_path = (dir_ / "out.pdf").string();
    c.one_file = one_file;
    return c;
  }

  static std::unique_ptr<PrinterDevice> device(VirtualPrinterSystem& sys) {
    return sys.create_device({kOwnPrinterName, "morvane", "x"});
  }

  // A document of `sheets` sheets, each marked with a filled square.
  static void print_document(PrinterDevice& dev, int sheets) {
    ASSERT_TRUE(dev.start_doc("PrintFile_TI994A"));
    for (int i = 0; i < sheets; ++i) {
      dev.start_page();
      dev.surface().fill_rect(100, 100, 120, 120, 0);
      dev.end_page();
    }
    dev.end_doc();
  }

  static int pages_of(const fs::path& pdf) {
    std::istringstream info(run_output("pdfinfo '" + pdf.string() + "' 2>/dev/null"));
    std::string line;
    while (std::getline(info, line)) {
      if (line.rfind("Pages:", 0) == 0) return std::stoi(line.substr(6));
    }
    return -1;
  }

  fs::path dir_;
};

TEST(VirtualPrinterCaps, PaperSizesResolutionsAndOffsets) {
  struct Case {
    Paper paper;
    std::uint32_t dpi, offset;
    DeviceCaps caps;
  };
  const Case cases[] = {
      {Paper::letter, 600, 150, {4800, 6300, 600, 600, 5100, 6600, 150, 150}},
      {Paper::a4, 600, 150, {4660, 6716, 600, 600, 4960, 7016, 150, 150}},
      {Paper::letter, 300, 75, {2400, 3150, 300, 300, 2550, 3300, 75, 75}},
      {Paper::letter, 0, 0, {5100, 6600, 600, 600, 5100, 6600, 0, 0}},  // default dpi
      {Paper::letter, 1, 0, {612, 792, 72, 72, 612, 792, 0, 0}},        // lowest dpi
      // Strips wider than the sheet leave an inch printable.
      {Paper::letter, 600, 100000, {600, 2100, 600, 600, 5100, 6600, 2250, 2250}},
  };
  for (const auto& c : cases) {
    VirtualPrinterConfig cfg;
    cfg.paper = c.paper;
    cfg.dpi = c.dpi;
    cfg.offset = c.offset;
    const DeviceCaps got = virtual_printer_caps(cfg);
    EXPECT_EQ(got.horz_res, c.caps.horz_res) << c.dpi << " " << c.offset;
    EXPECT_EQ(got.vert_res, c.caps.vert_res) << c.dpi << " " << c.offset;
    EXPECT_EQ(got.dpi_x, c.caps.dpi_x);
    EXPECT_EQ(got.dpi_y, c.caps.dpi_y);
    EXPECT_EQ(got.phys_width, c.caps.phys_width);
    EXPECT_EQ(got.phys_height, c.caps.phys_height);
    EXPECT_EQ(got.phys_offset_x, c.caps.phys_offset_x);
    EXPECT_EQ(got.phys_offset_y, c.caps.phys_offset_y);
  }
}

TEST(VirtualPrinterNames, DeviceStringNumberedFilesAndPrintArguments) {
  VirtualPrinterConfig cfg;
  cfg.output_path = "/tmp/x/out.pdf";
  VirtualPrinterSystem sys(cfg);
  EXPECT_EQ(sys.default_device_string(), "Morvane PDF,morvane,/tmp/x/out.pdf");
  EXPECT_EQ(sys.create_device({"Other", "drv", "port"}), nullptr);
  EXPECT_NE(sys.create_device({"Morvane PDF", "morvane", "/tmp/x/out.pdf"}), nullptr);

  EXPECT_EQ(numbered_path("/tmp/x/out.pdf", 1), "/tmp/x/out-0001.pdf");
  EXPECT_EQ(numbered_path("page", 12), "page-0012.pdf");
  EXPECT_EQ(numbered_path("a.b/doc.PDF", 3), "a.b/doc-0003.PDF");

  using Args = std::vector<std::string>;
  EXPECT_EQ(print_arguments("lp -d QUEUE", "/t/a b.pdf"), (Args{"lp", "-d", "QUEUE", "/t/a b.pdf"}));
  EXPECT_EQ(print_arguments("  cp\t%f  /dest/%f.bak ", "f"), (Args{"cp", "f", "/dest/f.bak"}));
  EXPECT_EQ(print_arguments("x %f%f", "%f"), (Args{"x", "%f%f"}));  // no re-expansion
  EXPECT_EQ(print_arguments(" \t", "f"), Args{});
}

TEST_F(VirtualPrinterTest, TwoSheetsMakeTwoPagesAtThePaperSize) {
  for (Paper paper : {Paper::letter, Paper::a4}) {
    VirtualPrinterConfig cfg = config(true);
    cfg.paper = paper;
    {
      VirtualPrinterSystem sys(cfg);
      auto dev = device(sys);
      print_document(*dev, 2);
    }
    EXPECT_EQ(pages_of(cfg.output_path), 2);
    const std::string info = run_output("pdfinfo '" + cfg.output_path + "'");
    const char* size = paper == Paper::letter ? "612 x 792 pts" : "595.2 x 841.92 pts";
    EXPECT_NE(info.find(size), std::string::npos) << info;
    EXPECT_NE(info.find("PrintFile_TI994A"), std::string::npos) << info;
  }
}

TEST_F(VirtualPrinterTest, DotsLinesAndRectanglesLandAtTheirPageUnits) {
  VirtualPrinterConfig cfg = config(true);
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();
    Surface& s = dev->surface();
    std::vector<std::uint8_t> cols(480, 0);
    cols[0] = 255;
    cols[1] = 128;
    cols[2] = 1;
    cols[3] = 0xAA;
    cols[479] = 255;
    s.blit_columns(25, 200, cols.data(), cols.size());
    s.set_pen(0, 0);
    s.move_to(300, 400);
    s.line_to(400, 400);
    s.move_to(600, 300);
    s.line_to(600, 350);
    s.fill_rect(700, 700, 710, 720, 0);
    dev->end_page();
    dev->end_doc();
  }
  const Raster r = render(cfg.output_path, 1);
  ASSERT_EQ(r.width, 850);
  ASSERT_EQ(r.height, 1100);
  for (int row = 0; row < 8; ++row) {
    EXPECT_TRUE(r.dark(25, 200 + row)) << row;
    EXPECT_EQ(r.dark(26, 200 + row), row == 0) << row;
    EXPECT_EQ(r.dark(27, 200 + row), row == 7) << row;
    EXPECT_EQ(r.dark(28, 200 + row), row % 2 == 0) << row;
    EXPECT_FALSE(r.dark(29, 200 + row)) << row;
    EXPECT_TRUE(r.dark(504, 200 + row)) << row;  // column 479
    EXPECT_FALSE(r.dark(505, 200 + row)) << row;
    EXPECT_FALSE(r.dark(24, 200 + row)) << row;
  }
  EXPECT_FALSE(r.dark(25, 199));
  EXPECT_FALSE(r.dark(25, 208));
  // The horizontal line: x 300..399 on row 400 only.
  EXPECT_TRUE(r.dark(300, 400));
  EXPECT_TRUE(r.dark(350, 400));
  EXPECT_TRUE(r.dark(399, 400));
  EXPECT_FALSE(r.dark(401, 400));
  EXPECT_FALSE(r.dark(350, 399));
  EXPECT_FALSE(r.dark(350, 401));
  // The vertical line: column 600 from 300.
  EXPECT_TRUE(r.dark(600, 300));
  EXPECT_TRUE(r.dark(600, 349));
  EXPECT_FALSE(r.dark(599, 320));
  EXPECT_FALSE(r.dark(601, 320));
  // The rectangle [700, 710) x [700, 720).
  EXPECT_TRUE(r.dark(700, 700));
  EXPECT_TRUE(r.dark(709, 719));
  EXPECT_FALSE(r.dark(710, 710));
  EXPECT_FALSE(r.dark(705, 720));
  EXPECT_FALSE(r.dark(699, 710));
}

// The dot face: the dot-matrix emulation's characters and bit images as
// vector dots, no font and no image; the plotter's labels keep their font.
TEST_F(VirtualPrinterTest, DotFacePrintsVectorDotsAndNoFont) {
  VirtualPrinterConfig cfg = config(true);
  cfg.face = Face::dots;
  CharCell big;
  big.advance = 120;
  big.line_height = 240;
  CharCell bold = big;
  bold.emphasized = bold.double_strike = true;
  // Three strips: lone dots, solid rows (drawn as runs along the rows) and a
  // checkerboard (drawn column by column).
  const std::vector<std::vector<std::uint8_t>> strips = {
      {0x80, 0x01, 0xFF, 0x00, 0x00, 0x55, 0xAA, 0x81, 0x00, 0x3C},
      std::vector<std::uint8_t>(12, 0xF0),
      {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}};
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    Surface& s = dev->surface();
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();
    s.print_char(100, 100, 'H', courier(-24), 0, big);
    s.print_char(300, 100, 'g', courier(-24), 0, bold);
    s.fill_rect(95, 595, 125, 640, 0);  // ink the images must cover with paper
    for (std::size_t i = 0; i < strips.size(); ++i) {
      s.blit_columns(100, 600 + 12 * static_cast<std::int32_t>(i), strips[i].data(), strips[i].size());
    }
    dev->end_page();
    dev->start_page();
    FontDesc label = courier(-24);
    label.escapement = 900;
    s.draw_text(100, 400, "UP", 2, label, 0);
    dev->end_page();
    dev->end_doc();
  }
  EXPECT_EQ(run_output("pdffonts -f 1 -l 1 '" + cfg.output_path + "' | tail -n +3"), "");
  EXPECT_NE(run_output("pdffonts -f 2 -l 2 '" + cfg.output_path + "'").find("LiberationMono"),
            std::string::npos);
  EXPECT_EQ(run_output("pdfimages -list '" + cfg.output_path + "' | tail -n +3"), "");
  const Raster r = render(cfg.output_path, 1);
  ASSERT_EQ(r.width, 850);
  const auto paper = [&](int x, int y) {
    const unsigned char* px = &r.rgb[(static_cast<std::size_t>(y) * r.width + x) * 3];
    return px[0] + px[1] + px[2] == 3 * 255;
  };
  const auto ink = [&](int x, int y) { return r.dark(x, y); };
  struct Placed {
    unsigned char ch;
    CharCell cell;
    int x;
  };
  for (const Placed& c : {Placed{'H', big, 100}, Placed{'g', bold, 300}}) {
    const DotPattern p = char_dots(c.ch, c.cell, false);
    // The cell and its surroundings, where no other ink is.
    const int x0 = c.x - 20, y0 = 80;
    EXPECT_EQ(test::pixels_off_the_dots(
                  p, c.x - x0, 100 - y0, 160, 280,
                  [&](int x, int y) { return ink(x0 + x, y0 + y); },
                  [&](int x, int y) { return paper(x0 + x, y0 + y); }),
              0)
        << c.ch;
  }
  for (std::size_t i = 0; i < strips.size(); ++i) {
    const std::vector<std::uint8_t>& columns = strips[i];
    const int n = static_cast<int>(columns.size());
    const int top = 600 + 12 * static_cast<int>(i);
    const auto bit = [&](int k, int row) {
      return k >= 0 && k < n && row >= 0 && row < 8 && (columns[k] & (0x80 >> row)) != 0;
    };
    for (int k = 0; k < n; ++k) {
      for (int row = 0; row < 8; ++row) {
        if (bit(k, row)) {
          EXPECT_TRUE(ink(100 + k, top + row)) << i << ": " << k << "," << row;
        } else if (!bit(k - 1, row) && !bit(k + 1, row) && !bit(k, row - 1) && !bit(k, row + 1)) {
          EXPECT_TRUE(paper(100 + k, top + row)) << i << ": " << k << "," << row;
        }
      }
    }
  }
  EXPECT_TRUE(ink(97, 604));  // beside the strip the earlier ink stays
}

TEST_F(VirtualPrinterTest, FullTextPageStaysTextAndSmall) {
  VirtualPrinterConfig cfg = config(true);
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    Surface& s = dev->surface();
    const FontDesc f = courier(-17);
    const TextMetrics m = s.text_metrics(f);  // measured before any document
    EXPECT_EQ(m.height, 19);
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();
    // The engine's way: one character at a time, 60 lines of 80.
    const std::string line = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 the quick brown fox ju";
    for (int l = 0; l < 60; ++l) {
      for (std::size_t c = 0; c < 80; ++c) {
        s.draw_text(25 + static_cast<std::int32_t>(c) * m.max_char_width, 25 + l * m.height,
                    &line[c % line.size()], 1, f, 0);
      }
    }
    dev->end_page();
    dev->end_doc();
  }
  const std::string text = run_output("pdftotext -layout '" + cfg.output_path + "' -");
  EXPECT_NE(text.find("THE QUICK BROWN FOX"), std::string::npos) << text.substr(0, 300);
  const std::string fonts = run_output("pdffonts '" + cfg.output_path + "'");
  EXPECT_NE(fonts.find("LiberationMono"), std::string::npos) << fonts;
  EXPECT_EQ(run_output("pdfimages -list '" + cfg.output_path + "' | tail -n +3"), "");
  const auto size = fs::file_size(cfg.output_path);
  std::printf("[ info ] full text page: %ju bytes\n", static_cast<std::uintmax_t>(size));
  EXPECT_LT(size, 100u * 1024);
}

TEST_F(VirtualPrinterTest, TextLandsWhereTheSheetPutsIt) {
  struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    void add(int x, int y) {
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  };
  const std::int32_t escapements[] = {0, 900, 1800, 2700};
  VirtualPrinterConfig cfg = config(true);
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    for (std::int32_t e : escapements) {
      dev->start_page();
      FontDesc f = courier(-24);
      f.escapement = e;
      f.underline = 1;
      dev->surface().draw_text(400, 500, "Hello", 5, f, 0);
      dev->end_page();
    }
    dev->end_doc();
  }
  for (int i = 0; i < 4; ++i) {
    CairoSheet sheet(850, 1100);
    FontDesc f = courier(-24);
    f.escapement = escapements[i];
    f.underline = 1;
    sheet.draw_text(400, 500, "Hello", 5, f, 0);
    const Raster r = render(cfg.output_path, i + 1);
    ASSERT_EQ(r.width, 850);
    Box on_paper;
    Box on_sheet;
    for (int y = 400; y < 600; ++y) {
      for (int x = 300; x < 500; ++x) {
        if (r.dark(x, y)) on_paper.add(x, y);
        if (red_of(sheet.pixel(x, y)) < 128) on_sheet.add(x, y);
      }
    }
    ASSERT_GT(std::max(on_sheet.right - on_sheet.left, on_sheet.bottom - on_sheet.top), 50);
    EXPECT_NEAR(on_paper.left, on_sheet.left, 1) << escapements[i];
    EXPECT_NEAR(on_paper.top, on_sheet.top, 1) << escapements[i];
    EXPECT_NEAR(on_paper.right, on_sheet.right, 1) << escapements[i];
    EXPECT_NEAR(on_paper.bottom, on_sheet.bottom, 1) << escapements[i];
  }
}

// Pixels of the box [x0, x1) x [y0, y1) that pass `test`.
template <typename Test>
int count_pixels(const Raster& r, int x0, int y0, int x1, int y1, Test test) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const unsigned char* px = &r.rgb[(static_cast<std::size_t>(y) * r.width + x) * 3];
      if (test(px[0], px[1], px[2])) ++n;
    }
  }
  return n;
}

// Characters drawn one at a time are shown together; they must still land
// in their drawing order among shapes, and keep their own colours and fonts.
TEST_F(VirtualPrinterTest, CharactersKeepTheirOrderColoursAndFonts) {
  const auto dark = [](int r, int g, int b) { return r < 100 && g < 100 && b < 100; };
  const auto red = [](int r, int g, int b) { return r > 160 && g < 100 && b < 100; };
  const auto white = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };
  const FontDesc small = courier(-24);
  const FontDesc large = courier(-48);
  VirtualPrinterConfig cfg = config(true);
  TextMetrics ms;
  TextMetrics ml;
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    Surface& s = dev->surface();
    ms = s.text_metrics(small);
    ml = s.text_metrics(large);
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();
    const auto put = [&](int x, int y, const FontDesc& f, Color c) { s.draw_text(x, y, "H", 1, f, c); };
    // Eight characters, the left four then covered by a white rectangle.
    for (int i = 0; i < 8; ++i) put(100 + i * ms.max_char_width, 100, small, 0);
    s.fill_rect(100, 95, 100 + 4 * ms.max_char_width, 105 + ms.height, rgb(255, 255, 255));
    // White characters on a black rectangle drawn before them.
    s.fill_rect(100, 300, 500, 350, 0);
    for (int i = 0; i < 4; ++i) put(110 + i * ms.max_char_width, 310, small, rgb(255, 255, 255));
    // Colours and sizes changing from one character to the next.
    for (int i = 0; i < 6; ++i) put(100 + i * ms.max_char_width, 500, small, i % 2 ? rgb(255, 0, 0) : 0);
    for (int i = 0; i < 4; ++i) put(100 + i * ml.max_char_width, 700, i % 2 ? large : small, 0);
    dev->end_page();
    dev->end_doc();
  }
  const Raster r = render(cfg.output_path, 1);
  ASSERT_EQ(r.width, 850);
  const int w = ms.max_char_width;
  for (int i = 0; i < 8; ++i) {
    const int x = 100 + i * w;
    EXPECT_EQ(count_pixels(r, x, 100, x + w, 100 + ms.height, dark) > 10, i >= 4) << i;
  }
  for (int i = 0; i < 4; ++i) {
    const int x = 110 + i * w;
    EXPECT_GT(count_pixels(r, x, 310, x + w, 310 + ms.height, white), 10) << i;
  }
  for (int i = 0; i < 6; ++i) {
    const int x = 100 + i * w;
    const int reds = count_pixels(r, x, 500, x + w, 500 + ms.height, red);
    const int darks = count_pixels(r, x, 500, x + w, 500 + ms.height, dark);
    EXPECT_EQ(reds > 10, i % 2 == 1) << i;
    EXPECT_EQ(darks > 10, i % 2 == 0) << i;
  }
  for (int i = 0; i < 4; ++i) {
    const int x = 100 + i * ml.max_char_width;
    // Only the large H reaches the lower half of the large cell.
    const int low = count_pixels(r, x, 700 + ml.height / 2, x + ml.max_char_width, 700 + ml.height, dark);
    EXPECT_EQ(low > 10, i % 2 == 1) << i;
  }
}

TEST_F(VirtualPrinterTest, OneFileCollectsDocumentsAndKeepsSheetsBeforeAnAbort) {
  VirtualPrinterConfig cfg = config(true);
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    print_document(*dev, 2);
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();
    dev->end_page();  // added to the file
    dev->start_page();
    dev->surface().fill_rect(0, 0, 10, 10, 0);
    dev->abort_doc();  // the open sheet is lost
    dev->surface().fill_rect(0, 0, 10, 10, 0);  // no sheet: dropped
    dev.reset();
    // A device made later in the run writes into the same file.
    auto again = device(sys);
    print_document(*again, 1);
  }
  EXPECT_EQ(pages_of(cfg.output_path), 4);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(VirtualPrinterTest, FilePerDocumentNumberedNeverOverwritten) {
  VirtualPrinterConfig cfg = config(false);
  std::ofstream(dir_ / "out-0001.pdf") << "an earlier run";
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    print_document(*dev, 1);  // -> 0002
    print_document(*dev, 0);  // no sheets: no file
    ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();
    dev->end_page();
    dev->abort_doc();  // cancelled: no file
    print_document(*dev, 3);
  }
  std::ifstream earlier(dir_ / "out-0001.pdf");
  std::string kept;
  std::getline(earlier, kept);
  EXPECT_EQ(kept, "an earlier run");
  EXPECT_EQ(pages_of(dir_ / "out-0002.pdf"), 1);
  EXPECT_FALSE(fs::exists(dir_ / "out-0003.pdf"));
  EXPECT_FALSE(fs::exists(dir_ / "out-0004.pdf"));
  EXPECT_EQ(pages_of(dir_ / "out-0005.pdf"), 3);
}

TEST_F(VirtualPrinterTest, UnwritableOutputRefusesTheDocument) {
  for (bool one_file : {true, false}) {
    VirtualPrinterConfig cfg = config(one_file);
    cfg.output_path = (dir_ / "missing" / "out.pdf").string();
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    EXPECT_FALSE(dev->start_doc("PrintFile_TI994A"));
    dev->start_page();  // no document: nothing happens
    dev->surface().fill_rect(0, 0, 5, 5, 0);
    dev->end_page();
    dev->end_doc();
    // Once the directory exists the next document succeeds.
    fs::create_directories(dir_ / "missing");
    EXPECT_TRUE(dev->start_doc("PrintFile_TI994A"));
    dev->abort_doc();
    fs::remove_all(dir_ / "missing");
  }
}

TEST_F(VirtualPrinterTest, PrintCommandGetsEveryFinishedFile) {
  VirtualPrinterConfig cfg = config(false);
  cfg.print_command = "cp %f " + (dir_ / "copies").string() + "/";
  fs::create_directories(dir_ / "copies");
  {
    VirtualPrinterSystem sys(cfg);
    auto dev = device(sys);
    print_document(*dev, 1);
    print_document(*dev, 2);
    EXPECT_EQ(sys.wait_print_jobs(), 0);
  }
  EXPECT_EQ(pages_of(dir_ / "copies" / "out-0001.pdf"), 1);
  EXPECT_EQ(pages_of(dir_ / "copies" / "out-0002.pdf"), 2);

  // One file: handed over once, when the run ends.
  VirtualPrinterConfig one = config(true);
  one.print_command = "cp %f " + (dir_ / "copies" / "run.pdf").string();
  {
    VirtualPrinterSystem sys(one);
    auto dev = device(sys);
    print_document(*dev, 1);
    print_document(*dev, 1);
    EXPECT_FALSE(fs::exists(dir_ / "copies" / "run.pdf"));
  }
  EXPECT_EQ(pages_of(dir_ / "copies" / "run.pdf"), 2);
}

TEST_F(VirtualPrinterTest, FailingPrintCommandsAreCounted) {
  VirtualPrinterConfig cfg = config(false);
  cfg.print_command = "false";
  VirtualPrinterSystem sys(cfg);
  auto dev = device(sys);
  print_document(*dev, 1);
  EXPECT_EQ(sys.wait_print_jobs(), 1);
  VirtualPrinterConfig missing = config(false);
  missing.print_command = "/nonexistent/morvane-lp";
  VirtualPrinterSystem sys2(missing);
  auto dev2 = device(sys2);
  print_document(*dev2, 1);
  EXPECT_EQ(sys2.wait_print_jobs(), 1);
  EXPECT_TRUE(fs::exists(dir_ / "out-0002.pdf"));  // the file itself is kept
}

}  // namespace
}  // namespace morvane
