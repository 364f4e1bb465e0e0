// Helpers for the input-channel tests: line numbers no other test run uses,
// removal of the blocks they leave, and running the serial-peer program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "io/shared_block.h"

namespace morvane::test {

// A line number unique to this test process; k tells a test's lines apart.
int unique_line(int k);

// Removes the block of a line from the system where it outlives its holders.
void remove_line_block(int line);

// A program on a line that knows the block's layout and nothing else: it maps
// the block and touches its words itself. Destroyed, it lets go of the block
// without releasing anything, as a program that ends abruptly does.
class RawAttachment {
 public:
  explicit RawAttachment(int line);
  // Start of half A (0) or half B (1); null when the block could not be mapped.
  std::uint8_t* half(int which) const;

 private:
  std::unique_ptr<SharedBlock> block_;
  std::uint8_t* view_ = nullptr;
};

#ifndef _WIN32
// Ends the test program (SIGALRM) when a scope outlasts its seconds: a call
// that would wait for ever fails the run instead of hanging it.
class HangGuard {
 public:
  explicit HangGuard(unsigned seconds);
  ~HangGuard();
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;
};

// What another program may put at a name a channel uses: kind is how
// messages call it ("a FIFO"), make puts one at a path.
struct PlantedFile {
  std::string kind;
  bool (*make)(const std::string& path);
};
const std::vector<PlantedFile>& planted_files();
// Removes whatever stands at path, a directory too.
void remove_planted(const std::string& path);
#endif

// The serial-peer program next to this build.
std::string serial_peer_path();

// A child process, started with arguments (argv[0] is the program).
class ChildProcess {
 public:
  // input_fd, where not -1, becomes the child's standard input (POSIX only).
  explicit ChildProcess(const std::vector<std::string>& args, int input_fd = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return started_; }
  // The exit status, or -1 when it did not end within timeout_ms (it is
  // then killed).
  int wait(int timeout_ms);
  // Asks the child to stop as Ctrl-C does; false where that cannot be sent.
  bool interrupt();

 private:
  bool started_ = false;
  bool ended_ = false;
  long long id_ = 0;
  void* handle_ = nullptr;
};

}  // namespace morvane::test
