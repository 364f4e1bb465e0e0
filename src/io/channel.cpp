#include "io/channel.h"

#include <climits>

namespace morvane {

namespace {

int as_int(std::size_t capacity) { return capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity); }

std::size_t as_count(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

std::size_t poll_channels(std::span<InputChannel* const> channels, std::uint8_t* into,
                          std::size_t capacity) {
  for (InputChannel* channel : channels) {
    if (channel == nullptr) continue;
    const std::size_t n = channel->read(into, capacity);
    if (n > 0) return n;
  }
  return 0;
}

std::vector<std::size_t> drain_channels(std::span<InputChannel* const> channels, std::span<std::uint8_t> into,
                                        const std::function<void(const std::uint8_t*, std::size_t)>& take,
                                        std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    const std::size_t n = poll_channels(channels, into.data(), into.size());
    if (n == 0) break;
    take(into.data(), n);
  }
  std::vector<std::size_t> left;
  for (InputChannel* channel : channels) left.push_back(channel != nullptr ? channel->waiting() : 0);
  return left;
}

std::size_t SerialLineChannel::read(std::uint8_t* into, std::size_t capacity) {
  return as_count(line_.read_serial_line(into, as_int(capacity)));
}

std::size_t SerialLineChannel::waiting() { return as_count(line_.waiting()); }

std::size_t SerialPortChannel::read(std::uint8_t* into, std::size_t capacity) {
  return as_count(port_.read_serial_port(into, as_int(capacity)));
}

std::size_t SerialPortChannel::waiting() { return as_count(port_.queued_bytes()); }

std::size_t TcpChannel::read(std::uint8_t* into, std::size_t capacity) {
  return as_count(server_->poll(into, as_int(capacity)));
}

FileChannel::~FileChannel() {
  if (owned_ && file_) std::fclose(file_);
}

std::size_t FileChannel::read(std::uint8_t* into, std::size_t capacity) {
  if (ended_ || !file_) return 0;
  const std::size_t n = std::fread(into, 1, capacity, file_);
  if (n < capacity) {
    ended_ = std::feof(file_) || std::ferror(file_);
    failed_ = std::ferror(file_) != 0;
  }
  return n;
}

}  // namespace morvane
