// Named shared memory backed by the paging file. The system keeps the block
// while any program holds a handle to it and drops it with the last one.
#include <windows.h>

#include "io/shared_block.h"

namespace morvane {

namespace {

class Win32SharedBlock : public SharedBlock {
 public:
  ~Win32SharedBlock() override {
    unmap();
    close();
  }

  bool open(const std::string& name, std::size_t size) override {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  static_cast<DWORD>(size), name.c_str());
    return mapping_ != nullptr;
  }

  std::uint8_t* map(int& error) override {
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    if (view_ == nullptr) {
      error = static_cast<int>(GetLastError());
      return nullptr;
    }
    return static_cast<std::uint8_t*>(view_);
  }

  void unmap() override {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    view_ = nullptr;
  }

  void close() override {
    if (mapping_ != nullptr) CloseHandle(mapping_);
    mapping_ = nullptr;
  }

 private:
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
};

}  // namespace

std::unique_ptr<SharedBlock> make_system_shared_block() { return std::make_unique<Win32SharedBlock>(); }

}  // namespace morvane
