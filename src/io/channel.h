// Where received bytes come from: the shared-memory serial line, a serial
// port, a TCP connection, a file. Every shell polls its channels the same way
// (kPollMs, kPollBytes): a read takes what is waiting and never waits itself.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "io/serial_line.h"
#include "io/serial_port.h"
#include "io/tcp_server.h"

namespace morvane {

// The poll every shell keeps: every kPollMs milliseconds, up to kPollBytes
// bytes from its channels, handed to the engine as one run.
inline constexpr int kPollMs = 10;
inline constexpr std::size_t kPollBytes = 256;

class InputChannel {
 public:
  virtual ~InputChannel() = default;
  // Up to `capacity` bytes that have arrived; 0 when none wait.
  virtual std::size_t read(std::uint8_t* into, std::size_t capacity) = 0;
  // True when nothing will ever arrive again (a file at its end).
  virtual bool ended() const { return false; }
  // Bytes that have arrived and wait to be read; 0 when the channel cannot tell.
  virtual std::size_t waiting() { return 0; }
};

// The channels a shell holds, read in their order: one poll takes up to
// `capacity` bytes from the first channel that has any (the desktop program
// reads the serial port first and the serial line when the port gave
// nothing). Bytes that are not taken stay waiting at their channel.
std::size_t poll_channels(std::span<InputChannel* const> channels, std::uint8_t* into,
                          std::size_t capacity);

// At a stop, what has already arrived is still taken in: the channels are
// polled until none has anything, for `limit` at most while a sender keeps
// going. `take` gets each run read. Returns, channel by channel, the bytes
// still waiting at the end, for the caller to report: none is dropped unsaid.
std::vector<std::size_t> drain_channels(std::span<InputChannel* const> channels, std::span<std::uint8_t> into,
                                        const std::function<void(const std::uint8_t*, std::size_t)>& take,
                                        std::chrono::milliseconds limit);

// The serial line a shell holds (it may be reopened on another line).
class SerialLineChannel final : public InputChannel {
 public:
  explicit SerialLineChannel(SerialLine& line) : line_(line) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;
  std::size_t waiting() override;

 private:
  SerialLine& line_;
};

// The serial port a shell holds; nothing while no port is open.
class SerialPortChannel final : public InputChannel {
 public:
  explicit SerialPortChannel(SerialPort& port) : port_(port) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;
  std::size_t waiting() override;

 private:
  SerialPort& port_;
};

class TcpChannel final : public InputChannel {
 public:
  explicit TcpChannel(std::unique_ptr<TcpServer> server) : server_(std::move(server)) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;
  std::size_t waiting() override { return server_->waiting(); }
  std::uint16_t port() const { return server_->port(); }
  // Returns once a client or bytes may have come, after ms at most.
  void wait(int ms) { server_->wait(ms); }

 private:
  std::unique_ptr<TcpServer> server_;
};

// A file or standard input, read to its end.
class FileChannel final : public InputChannel {
 public:
  // `owned`: the channel closes the file.
  FileChannel(std::FILE* file, bool owned) : file_(file), owned_(owned) {}
  ~FileChannel() override;
  FileChannel(const FileChannel&) = delete;
  FileChannel& operator=(const FileChannel&) = delete;
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;
  bool ended() const override { return ended_; }
  // True when the file could not be read (not merely ended).
  bool failed() const { return failed_; }

 private:
  std::FILE* file_;
  bool owned_;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace morvane
