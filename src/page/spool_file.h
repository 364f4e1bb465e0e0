// The spool file of the page in progress: the bytes received since the last
// page end, exactly as they came, with no header or framing. The page's first
// byte creates (or truncates) it; the page end closes it for the replay; it
// then stays on disk until the next page's first byte. A clear-page request
// drops it without printing, and at exit an unfinished page's file is deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace morvane {

class SpoolFile {
 public:
  explicit SpoolFile(std::string path = "Morvane.$$$") : path_(std::move(path)) {}
  ~SpoolFile();
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  const std::string& path() const { return path_; }
  // Where the file lives; set once at start-up, before the first byte.
  void set_path(std::string path) { path_ = std::move(path); }

  // A page is being spooled.
  bool is_open() const { return stream_ != nullptr; }
  // Appends a byte, creating the file at the page's first byte. False when the
  // byte could not be written (the reason is in error()).
  bool append(std::uint8_t byte);
  // Puts what was appended on disk. False on failure.
  bool flush();
  // The page ended: the file is closed for the replay. False when it could not
  // be written completely.
  bool close();
  // Program exit: the file of an unfinished page is closed and deleted.
  void remove_unfinished();
  // Bytes appended since the page's first byte; -1 while no page is spooled.
  long size() const;
  // The errno of the last failure.
  int error() const { return error_; }

 private:
  std::string path_;
  std::FILE* stream_ = nullptr;
  int error_ = 0;
};

// Reads a closed spool file back, for the replay.
class SpoolReader {
 public:
  explicit SpoolReader(const std::string& path) : stream_(std::fopen(path.c_str(), "rb")) {}
  ~SpoolReader();
  SpoolReader(const SpoolReader&) = delete;
  SpoolReader& operator=(const SpoolReader&) = delete;

  bool opened() const { return stream_ != nullptr; }
  // Up to `max` bytes; 0 at the end.
  std::size_t read(std::uint8_t* into, std::size_t max);

 private:
  std::FILE* stream_;
};

}  // namespace morvane
