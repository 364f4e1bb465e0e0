// The PDF file that is valid after every page: a kill at any moment, a write
// that fails at any step, and other programs at the file's name. qpdf (and
// pdfinfo) judge every file as a reader would.
#include <gtest/gtest.h>

#include <cairo-pdf.h>
#include <cairo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "print/virtual/pdf_appender.h"
#include "print/virtual/pdf_file.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

cairo_status_t to_string(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A one-page document holding `text` in the page font, as the virtual
// printer hands a sheet over.
std::string text_document(const std::string& text) {
  std::string pdf;
  cairo_surface_t* s = cairo_pdf_surface_create_for_stream(to_string, &pdf, 612, 792);
  cairo_t* cr = cairo_create(s);
  cairo_select_font_face(cr, "Liberation Mono", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  cairo_move_to(cr, 72, 72);
  cairo_show_text(cr, text.c_str());
  cairo_destroy(cr);
  cairo_surface_finish(s);
  cairo_surface_destroy(s);
  return pdf;
}

// Page n: a document that names itself ("PAGE-n").
std::string page_document(int n) { return text_document("PAGE-" + std::to_string(n)); }

std::string run_output(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int s = pclose(p);
  if (status != nullptr) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

bool have_tools() { return std::system("qpdf --version >/dev/null 2>&1 && pdftotext -v >/dev/null 2>&1") == 0; }

// What a reader makes of a file: qpdf's verdict and the text of each page.
struct Reading {
  bool valid = false;
  std::string said;
  std::vector<std::string> pages;
};

Reading read_pdf(const fs::path& file) {
  Reading r;
  int status = -1;
  r.said = run_output("qpdf --check '" + file.string() + "' 2>&1", &status);
  r.valid = status == 0;
  const std::string text = run_output("pdftotext '" + file.string() + "' - 2>/dev/null");
  std::size_t from = 0;
  for (std::size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', from)) {
    r.pages.push_back(text.substr(from, ff - from));
    from = ff + 1;
  }
  return r;
}

void write_file(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A file in memory that logs every operation and fails one write on demand,
// after letting part of it through (as a full device does).
class MemoryFile final : public StoredFile {
 public:
  struct Op {
    bool sync = false;
    std::uint64_t offset = 0;
    std::string data;
  };

  MemoryFile() : StoredFile("memory.pdf") {}

  bool write_at(std::uint64_t offset, const void* data, std::size_t size) override {
    const std::string piece(static_cast<const char*>(data), size);
    const bool failing = writes++ == fail_write;
    const std::string landed = failing ? piece.substr(0, std::min(size, short_part)) : piece;
    log.push_back({false, offset, landed});
    apply(bytes, offset, landed);
    return !failing || fail(ENOSPC);
  }
  long long read_at(std::uint64_t offset, void* into, std::size_t size) override {
    if (offset >= bytes.size()) return 0;
    const std::size_t n = std::min<std::size_t>(size, bytes.size() - offset);
    bytes.copy(static_cast<char*>(into), n, offset);
    return static_cast<long long>(n);
  }
  bool truncate(std::uint64_t size) override {
    bytes.resize(size);
    return true;
  }
  bool sync() override {
    log.push_back({true, 0, {}});
    return true;
  }
  void remove_on_close() override {}

  static void apply(std::string& image, std::uint64_t offset, const std::string& data) {
    if (data.empty()) return;  // a write that wrote nothing does not extend the file
    if (image.size() < offset + data.size()) image.resize(offset + data.size(), '\0');
    image.replace(offset, data.size(), data);
  }

  std::string bytes;
  std::vector<Op> log;
  int writes = 0;
  int fail_write = -1;  // the write (counted from 0) that fails
  std::size_t short_part = 0;
};

class PdfFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!have_tools()) GTEST_SKIP() << "qpdf and pdftotext are needed (scripts/setup installs them)";
    dir_ = fs::temp_directory_path() / ("morvane_pdf_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The file is valid and holds pages 1 to `count`, and at most `more`
  // pages beyond them.
  void expect_pages(const fs::path& file, int count, int more = 0) {
    const Reading r = read_pdf(file);
    EXPECT_TRUE(r.valid) << r.said;
    ASSERT_GE(r.pages.size(), static_cast<std::size_t>(count)) << file;
    ASSERT_LE(r.pages.size(), static_cast<std::size_t>(count + more)) << file;
    for (int k = 1; k <= count; ++k) {
      EXPECT_NE(r.pages[k - 1].find("PAGE-" + std::to_string(k)), std::string::npos) << k;
    }
  }

  fs::path dir_;
};

// A kill can stop the program between any two writes, or inside one at any
// page of the file (a write within one page lands whole). Whatever the
// moment, the file holds a valid PDF with every page whose addition had
// returned, and at most the one being added.
TEST_F(PdfFileTest, AKillAtAnyMomentLeavesAValidFileWithEveryStoredPage) {
  for (bool sync : {true, false}) {
    MemoryFile file;
    PdfAppender pdf(file, sync);
    std::vector<std::size_t> stored_after;  // log length when page k had been stored
    std::string error;
    for (int k = 1; k <= 5; ++k) {
      ASSERT_TRUE(pdf.add_page(page_document(k), error)) << error;
      stored_after.push_back(file.log.size());
    }
    const fs::path image_file = dir_ / "image.pdf";
    std::string image;
    int checked = 0;
    for (std::size_t i = 0; i < file.log.size(); ++i) {
      const MemoryFile::Op& op = file.log[i];
      std::vector<std::size_t> cuts{0};
      for (std::uint64_t at = (op.offset / 4096 + 1) * 4096; at < op.offset + op.data.size(); at += 4096)
        cuts.push_back(at - op.offset);
      for (std::size_t cut : cuts) {
        std::string cut_image = image;
        if (!op.sync) MemoryFile::apply(cut_image, op.offset, op.data.substr(0, cut));
        const int stored = static_cast<int>(std::upper_bound(stored_after.begin(), stored_after.end(), i) - stored_after.begin());
        if (stored == 0) continue;  // the first page goes to a file without a name (PdfFile)
        write_file(image_file, cut_image);
        SCOPED_TRACE("sync " + std::to_string(sync) + ", op " + std::to_string(i) + ", cut " + std::to_string(cut));
        expect_pages(image_file, stored, 1);
        ++checked;
      }
      if (!op.sync) MemoryFile::apply(image, op.offset, op.data);
    }
    EXPECT_GT(checked, 12);
    // With syncs, the new end is written only once the update is on the disk.
    if (sync) {
      for (std::size_t i = 1; i < file.log.size(); ++i) {
        const bool new_end = !file.log[i].sync && file.log[i].data.size() == 10;
        EXPECT_TRUE(!new_end || file.log[i - 1].sync) << i;
      }
    }
  }
}

// A write that fails at any step of adding a page (the device full half-way
// or at once) leaves the file exactly as it was; the next page goes on.
TEST_F(PdfFileTest, AFailedWriteAtAnyStepLeavesTheFileAsItWas) {
  for (int step = 0; step < 3; ++step) {
    for (std::size_t short_part : {std::size_t{0}, std::size_t{7}, std::size_t{5000}}) {
      SCOPED_TRACE("step " + std::to_string(step) + ", landed " + std::to_string(short_part));
      MemoryFile file;
      PdfAppender pdf(file, true);
      std::string error;
      ASSERT_TRUE(pdf.add_page(page_document(1), error));
      ASSERT_TRUE(pdf.add_page(page_document(2), error));
      const std::string before = file.bytes;
      file.fail_write = file.writes + step;
      file.short_part = short_part;
      EXPECT_FALSE(pdf.add_page(page_document(3), error));
      EXPECT_EQ(error, file_error_text(ENOSPC));
      EXPECT_EQ(file.bytes, before);
      EXPECT_EQ(pdf.pages(), 2u);
      ASSERT_TRUE(pdf.add_page(page_document(3), error)) << error;
      write_file(dir_ / "after.pdf", file.bytes);
      expect_pages(dir_ / "after.pdf", 3);
    }
  }
}

TEST_F(PdfFileTest, APageThatIsNotAPdfIsRefusedAndChangesNothing) {
  MemoryFile file;
  PdfAppender pdf(file, false);
  std::string error;
  ASSERT_TRUE(pdf.add_page(page_document(1), error));
  const std::string before = file.bytes;
  EXPECT_FALSE(pdf.add_page("%PDF-1.5\nnot really\n", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(file.bytes, before);
  ASSERT_TRUE(pdf.add_page(page_document(2), error));
  write_file(dir_ / "out.pdf", file.bytes);
  expect_pages(dir_ / "out.pdf", 2);
}

// Later pages cost what the first did: no earlier page is written again.
TEST_F(PdfFileTest, APageAddsOnlyItsOwnBytesWhateverTheFileHolds) {
  MemoryFile file;
  PdfAppender pdf(file, false);
  std::string error;
  const std::string page = page_document(7);
  std::vector<std::size_t> growth;
  for (int k = 1; k <= 300; ++k) {
    const std::size_t before = file.bytes.size();
    const std::size_t logged = file.log.size();
    ASSERT_TRUE(pdf.add_page(page, error));
    growth.push_back(file.bytes.size() - before);
    for (std::size_t i = logged; i < file.log.size(); ++i) {
      EXPECT_GE(file.log[i].offset, before) << k;
    }
  }
  // Page 300 adds about what page 2 added: its objects, a few tree nodes,
  // a short cross-reference section (and up to a file page of padding).
  EXPECT_LT(growth.back(), growth[1] + 4096 + 200);
  write_file(dir_ / "out.pdf", file.bytes);
  const Reading r = read_pdf(dir_ / "out.pdf");
  EXPECT_TRUE(r.valid) << r.said;
  EXPECT_EQ(r.pages.size(), 300u);
}

// What a page has in common with an earlier one is written once: a page of
// the same characters in the same order takes the earlier page's font. Each
// page still reads as its own text.
TEST_F(PdfFileTest, PagesShareTheObjectsTheyHaveInCommon) {
  const char* texts[] = {"ABC 1", "ABC 1", "XYZ 2", "ABC 1 ABC", "ZYX 2", "XYZ 22"};
  MemoryFile file;
  PdfAppender pdf(file, false);
  std::string error;
  std::vector<std::size_t> growth;
  for (const char* text : texts) {
    const std::size_t before = file.bytes.size();
    ASSERT_TRUE(pdf.add_page(text_document(text), error)) << error;
    growth.push_back(file.bytes.size() - before);
  }
  EXPECT_LT(growth[1] * 3, growth[0]);  // the same page again: its content only
  EXPECT_LT(growth[3] * 3, growth[0]);  // the same glyphs in the same order
  EXPECT_LT(growth[5] * 3, growth[2]);
  EXPECT_GT(growth[4] * 2, growth[2]);  // "ZYX": the glyphs in another order, a font of its own
  write_file(dir_ / "out.pdf", file.bytes);
  const Reading r = read_pdf(dir_ / "out.pdf");
  EXPECT_TRUE(r.valid) << r.said;
  ASSERT_EQ(r.pages.size(), std::size(texts));
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    EXPECT_NE(r.pages[i].find(texts[i]), std::string::npos) << r.pages[i];
  }
}

TEST_F(PdfFileTest, AnEarlierFileStaysWholeUntilTheFirstPageReplacesIt) {
  const fs::path out = dir_ / "out.pdf";
  write_file(out, "an earlier run's file");
  PdfFile pdf;
  std::string error;
  ASSERT_TRUE(pdf.open(out.string(), PdfFile::Naming::replace, true, error)) << error;
  EXPECT_EQ(read_file(out), "an earlier run's file");
  ASSERT_TRUE(pdf.add_page(page_document(1), error)) << error;
  expect_pages(out, 1);
  ASSERT_TRUE(pdf.add_page(page_document(2), error)) << error;
  expect_pages(out, 2);
  EXPECT_TRUE(pdf.close(error)) << error;
  expect_pages(out, 2);
  // Nothing else was left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(PdfFileTest, AFileWithoutPagesLeavesNothingAndNamesInTheWayAreRefused) {
  const fs::path out = dir_ / "out.pdf";
  PdfFile pdf;
  std::string error;
  ASSERT_TRUE(pdf.open(out.string(), PdfFile::Naming::replace, false, error));
  EXPECT_FALSE(pdf.close(error));
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_TRUE(fs::is_empty(dir_));

  write_file(dir_ / "victim", "precious");
  fs::create_symlink(dir_ / "victim", out);
  fs::create_directory(dir_ / "folder.pdf");
  EarlierFile earlier;
  for (const fs::path& name : {out, dir_ / "folder.pdf", dir_ / "missing" / "x.pdf"}) {
    EXPECT_FALSE(pdf.open(name.string(), PdfFile::Naming::replace, false, error)) << name;
    EXPECT_FALSE(check_pdf_target(name.string(), earlier, error)) << name;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(read_file(dir_ / "victim"), "precious");
  EXPECT_TRUE(fs::is_symlink(out));
  // A fresh name must be free.
  EXPECT_FALSE(pdf.open((dir_ / "victim").string(), PdfFile::Naming::fresh, false, error));
}

TEST_F(PdfFileTest, AFileReplacedByAnotherProgramIsToldNotWrittenBlindly) {
  const fs::path out = dir_ / "out.pdf";
  PdfFile pdf;
  std::string error;
  ASSERT_TRUE(pdf.open(out.string(), PdfFile::Naming::replace, false, error));
  ASSERT_TRUE(pdf.add_page(page_document(1), error));
  fs::rename(out, dir_ / "moved.pdf");
  write_file(out, "another program's");
  EXPECT_FALSE(pdf.add_page(page_document(2), error));
  EXPECT_NE(error.find("another program"), std::string::npos) << error;
  EXPECT_FALSE(pdf.close(error));
  EXPECT_EQ(read_file(out), "another program's");
  expect_pages(dir_ / "moved.pdf", 1);
}

TEST_F(PdfFileTest, OnlyTheVeryFileFoundAtTheStartIsRemovedAsEarlier) {
  const fs::path out = dir_ / "out.pdf";
  write_file(out, "earlier");
  EarlierFile earlier;
  std::string error;
  ASSERT_TRUE(check_pdf_target(out.string(), earlier, error)) << error;
  EXPECT_TRUE(earlier.exists);
  // Another program put a new file there meanwhile: it stays.
  write_file(dir_ / "new", "someone else's");
  fs::rename(dir_ / "new", out);
  EXPECT_FALSE(remove_earlier_file(out.string(), earlier));
  EXPECT_EQ(read_file(out), "someone else's");
  ASSERT_TRUE(check_pdf_target(out.string(), earlier, error));
  EXPECT_TRUE(remove_earlier_file(out.string(), earlier));
  EXPECT_FALSE(fs::exists(out));
  EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace morvane
