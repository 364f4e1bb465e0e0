// The spool file of the page in progress: the bytes received since the last
// page end, exactly as they came, with no header or framing. The page's first
// byte truncates it; the page end closes the page for the replay, which reads
// back exactly the bytes the page had and nothing beyond; they then stay on
// disk until the next page's first byte. A clear-page request drops the page
// without printing, and at exit an unfinished page's file is deleted.
//
// The file is opened once and kept open, never through a link: in place at
// its path (the desktop program's "Morvane.$$$", held against other
// programs), or a private temporary file the shell hands over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "print/stored_file.h"

namespace morvane {

class SpoolFile {
 public:
  explicit SpoolFile(std::string path = "Morvane.$$$") : path_(std::move(path)) {}
  ~SpoolFile();
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  const std::string& path() const { return path_; }
  // Where the file lives in place; set at start-up, before the first byte.
  // It is opened at the first byte that needs it.
  void set_path(std::string path);
  // Spools into `file` from now on (a private temporary one, or one the
  // shell has already opened in place); before the first byte.
  void use(std::unique_ptr<StoredFile> file);
  // Opens the file in place now, as the first byte would. False with the
  // reason in failure(); `holder` names another program that holds it.
  bool open_in_place(unsigned long& holder);

  // A page is being spooled.
  bool is_open() const { return page_open_; }
  // Appends a byte, starting the page at its first byte. False when the byte
  // could not be stored (failure() says why).
  bool append(std::uint8_t byte);
  // Puts what was appended into the file. False on failure.
  bool flush();
  // The page ended: what it holds is in the file for the replay. False when
  // it could not be written completely.
  bool close();
  // Program exit: the file of an unfinished page is deleted.
  void remove_unfinished();
  // Bytes appended since the page's first byte; -1 while no page is spooled.
  long size() const;
  // The last page's bytes from `offset` on, up to `max`, as stored: never
  // beyond what that page appended. 0 at its end or on failure.
  std::size_t read(std::uint64_t offset, std::uint8_t* into, std::size_t max);
  // Why the last operation failed: the file and the system's reason.
  const FileFailure& failure() const { return failure_; }

 private:
  bool ensure_file();
  bool start_page();
  bool write_pending();
  bool failed(const FileFailure& why);

  std::string path_;
  std::unique_ptr<StoredFile> file_;
  bool page_open_ = false;
  bool any_page_ = false;  // a page was spooled in this run
  std::uint64_t page_bytes_ = 0;      // appended for the page so far
  std::uint64_t stored_ = 0;          // of them, written to the file
  std::vector<std::uint8_t> pending_;  // appended, not yet written
  FileFailure failure_;
};

}  // namespace morvane
