// One PDF output file of the virtual printer, complete after every page it
// takes (see pdf_appender.h). Its pages are written into a new file of its
// own in the target's folder, made exclusively and never through a link;
// the first page gives that file its name, so an earlier file of the name
// stays whole until the run has a page to put there. Later pages go into
// the same open file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "print/stored_file.h"
#include "print/virtual/pdf_appender.h"

namespace morvane {

// What stood at an output's name when the run began.
struct EarlierFile {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

// Whether a PDF can be written at `path`: its folder can take a new file and
// the name holds no link, folder or device. False with the reason.
bool check_pdf_target(const std::string& path, EarlierFile& earlier, std::string& error);
// Removes the file found at `path` when the run began, if it is still the
// one there: a run that printed nothing leaves no earlier file looking like
// its result. True when a file was removed.
bool remove_earlier_file(const std::string& path, const EarlierFile& earlier);

class PdfFile {
 public:
  enum class Naming {
    replace,  // the first page's file takes the name, an earlier file there goes
    fresh,    // the name must be free
  };

  PdfFile() = default;
  ~PdfFile();
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  // Makes the file that will take `path`; false with the reason when it
  // cannot be written there. Nothing has the name yet.
  bool open(const std::string& path, Naming naming, bool sync_each_page, std::string& error);
  bool is_open() const { return appender_ != nullptr; }
  // Adds the page of a one-page document. True once the file at `path`
  // holds it after every earlier page; false with the reason, the file
  // holding what it held before.
  bool add_page(std::string_view one_page_document, std::string& error);
  std::uint64_t pages() const { return appender_ ? appender_->pages() : 0; }
  const std::string& path() const { return path_; }
  // Completes the file: true when it holds pages and is safely at its name.
  // A file without pages leaves nothing behind. `error` is set only when
  // something failed.
  bool close(std::string& error);
  // Abandons the file: it is removed from its name.
  void discard();

 private:
  bool publish(std::string& error);
  bool still_ours(std::string& error) const;
  void reset();

  std::string path_;
  std::string folder_;
  std::string name_;
  std::string temporary_name_;  // empty: the file has no name until published
  Naming naming_ = Naming::replace;
  int folder_fd_ = -1;
  int fd_ = -1;
  std::unique_ptr<StoredFile> file_;
  std::unique_ptr<PdfAppender> appender_;
  bool published_ = false;
  bool sync_each_page_ = true;
};

}  // namespace morvane
