// A named block of memory shared with other programs on the same machine.
// One object handles one block at a time: open, map, unmap, close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvane {

enum class BlockCondition {
  intact,
  detached,  // removed or replaced under its name: still usable, but unreachable for newcomers
  shrunk,    // cut below the size opened: unusable
};

class SharedBlock {
 public:
  virtual ~SharedBlock() = default;
  // Creates the named block, or opens it when the name is in use. A newly
  // created block is all zeros; an existing one is taken as found. False when
  // neither works.
  virtual bool open(const std::string& name, std::size_t size) = 0;
  // Why the last open failed when the system's error code alone would
  // mislead (something other than a block at the name); empty otherwise.
  virtual std::string open_failure() const { return {}; }
  // Maps the whole block for reading and writing; null on failure, with the
  // system's error code in error.
  virtual std::uint8_t* map(int& error) = 0;
  virtual void unmap() = 0;
  virtual void close() = 0;

  // Runs action while it is certain that no other program holds the block
  // and none can take it up meanwhile. False, without running it, when that
  // cannot be made certain.
  virtual bool run_if_alone(const std::function<void()>& action) {
    (void)action;
    return false;
  }
  // Runs access(context) on the mapped view. False when the view failed
  // under it (another program shrank the block): access was cut short.
  virtual bool guarded(void (*access)(void*), void* context) {
    access(context);
    return true;
  }
  // What other programs have done to the open block since it was opened;
  // anything but intact comes with the reason in why.
  virtual BlockCondition condition(std::string& why) {
    (void)why;
    return BlockCondition::intact;
  }
  // The other programs seen holding the block ("1234 (serial-peer)"), for
  // messages; it may miss some.
  virtual std::vector<std::string> holders() const { return {}; }
};

// The platform's named shared memory.
std::unique_ptr<SharedBlock> make_system_shared_block();

}  // namespace morvane
