// A named block of memory shared with other programs on the same machine.
// One object handles one block at a time: open, map, unmap, close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace morvane {

class SharedBlock {
 public:
  virtual ~SharedBlock() = default;
  // Creates the named block, or opens it when the name is in use. A newly
  // created block is all zeros. False when neither works.
  virtual bool open(const std::string& name, std::size_t size) = 0;
  // Maps the whole block for reading and writing; null on failure, with the
  // system's error code in error.
  virtual std::uint8_t* map(int& error) = 0;
  virtual void unmap() = 0;
  virtual void close() = 0;
};

// The platform's named shared memory.
std::unique_ptr<SharedBlock> make_system_shared_block();

}  // namespace morvane
