#include "page/spool_file.h"

#include <algorithm>

namespace morvane {

namespace {

// Bytes are gathered in memory and written in blocks of this size at most;
// the feed loop flushes after every run of bytes anyway.
constexpr std::size_t kBlock = 4096;

}  // namespace

SpoolFile::~SpoolFile() = default;

void SpoolFile::set_path(std::string path) {
  path_ = std::move(path);
  file_.reset();
}

void SpoolFile::use(std::unique_ptr<StoredFile> file) {
  file_ = std::move(file);
  if (file_) path_ = file_->path();
}

bool SpoolFile::open_in_place(unsigned long& holder) {
  holder = 0;
  if (file_) return true;
  FileFailure why;
  file_ = StoredFile::held_in_place(path_, why, holder);
  return file_ ? true : failed(why);
}

bool SpoolFile::failed(const FileFailure& why) {
  failure_ = why;
  return false;
}

bool SpoolFile::ensure_file() {
  unsigned long holder = 0;
  return file_ || open_in_place(holder);
}

// A page whose file cannot be opened or emptied is not open: nothing of it
// is printed, and its next byte (or the next page's) tries again.
bool SpoolFile::start_page() {
  page_bytes_ = 0;
  stored_ = 0;
  pending_.clear();
  if (!ensure_file()) return false;
  if (!file_->truncate(0)) return failed(file_->failure());
  page_open_ = true;
  any_page_ = true;
  return true;
}

bool SpoolFile::append(std::uint8_t byte) {
  if (!page_open_ && !start_page()) return false;
  pending_.push_back(byte);
  ++page_bytes_;
  return pending_.size() < kBlock || write_pending();
}

bool SpoolFile::write_pending() {
  if (pending_.empty()) return true;
  if (!file_) return false;
  const bool written = file_->write_at(stored_, pending_.data(), pending_.size());
  // What could not be written is lost either way: the page is not printed.
  if (written) stored_ += pending_.size();
  pending_.clear();
  return written || failed(file_->failure());
}

bool SpoolFile::flush() { return !page_open_ || write_pending(); }

bool SpoolFile::close() {
  if (!page_open_) return true;
  page_open_ = false;
  return write_pending();
}

void SpoolFile::remove_unfinished() {
  // An unfinished page's file goes; so does one opened at start-up that no
  // page ever used (it would not exist without this run).
  std::uint8_t any = 0;
  const bool unused = !any_page_ && file_ && file_->read_at(0, &any, 1) == 0;
  if ((page_open_ || unused) && file_) file_->remove_on_close();
  page_open_ = false;
  pending_.clear();
  file_.reset();
}

long SpoolFile::size() const { return page_open_ ? static_cast<long>(page_bytes_) : -1; }

std::size_t SpoolFile::read(std::uint64_t offset, std::uint8_t* into, std::size_t max) {
  if (!file_ || offset >= stored_) return 0;
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(max, stored_ - offset));
  const long long got = file_->read_at(offset, into, want);
  if (got < 0) {
    failed(file_->failure());
    return 0;
  }
  return static_cast<std::size_t>(got);
}

}  // namespace morvane
