#include "page/spool_file.h"

#include <cerrno>

namespace morvane {

SpoolFile::~SpoolFile() {
  if (stream_) std::fclose(stream_);
}

bool SpoolFile::append(std::uint8_t byte) {
  if (!stream_) {
    stream_ = std::fopen(path_.c_str(), "wb");
    if (!stream_) {
      error_ = errno;
      return false;
    }
  }
  if (std::fputc(byte, stream_) == EOF) {
    error_ = errno;
    return false;
  }
  return true;
}

bool SpoolFile::flush() {
  if (!stream_ || std::fflush(stream_) == 0) return true;
  error_ = errno;
  return false;
}

bool SpoolFile::close() {
  if (!stream_) return true;
  const bool written = std::fclose(stream_) == 0;
  if (!written) error_ = errno;
  stream_ = nullptr;
  return written;
}

void SpoolFile::remove_unfinished() {
  if (!stream_) return;
  std::fclose(stream_);
  stream_ = nullptr;
  std::remove(path_.c_str());
}

long SpoolFile::size() const { return stream_ ? std::ftell(stream_) : -1; }

SpoolReader::~SpoolReader() {
  if (stream_) std::fclose(stream_);
}

std::size_t SpoolReader::read(std::uint8_t* into, std::size_t max) {
  return stream_ ? std::fread(into, 1, max, stream_) : 0;
}

}  // namespace morvane
