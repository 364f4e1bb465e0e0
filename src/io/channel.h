// Where received bytes come from: the shared-memory serial line, a serial
// port, a TCP connection, a file. Every shell polls its channels the same way,
// every 10 milliseconds: a read takes what is waiting and never waits itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "io/serial_line.h"
#include "io/serial_port.h"
#include "io/tcp_server.h"

namespace morvane {

class InputChannel {
 public:
  virtual ~InputChannel() = default;
  // Up to `capacity` bytes that have arrived; 0 when none wait.
  virtual std::size_t read(std::uint8_t* into, std::size_t capacity) = 0;
  // True when nothing will ever arrive again (a file at its end).
  virtual bool ended() const { return false; }
};

// The channels a shell holds, read in their order: one poll takes up to
// `capacity` bytes from the first channel that has any (the desktop program
// reads the serial port first and the serial line when the port gave
// nothing). Bytes that are not taken stay waiting at their channel.
std::size_t poll_channels(std::span<InputChannel* const> channels, std::uint8_t* into,
                          std::size_t capacity);

// The serial line a shell holds (it may be reopened on another line).
class SerialLineChannel final : public InputChannel {
 public:
  explicit SerialLineChannel(SerialLine& line) : line_(line) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;

 private:
  SerialLine& line_;
};

// The serial port a shell holds; nothing while no port is open.
class SerialPortChannel final : public InputChannel {
 public:
  explicit SerialPortChannel(SerialPort& port) : port_(port) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;

 private:
  SerialPort& port_;
};

class TcpChannel final : public InputChannel {
 public:
  explicit TcpChannel(std::unique_ptr<TcpServer> server) : server_(std::move(server)) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override;
  std::uint16_t port() const { return server_->port(); }

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
