// Stored files on Windows: overlapped-offset reads and writes, files opened
// without following reparse points, and a file held against other writers
// whose holder leaves its process id in a named memory block beside it.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

#include "print/stored_file.h"

namespace morvane {

namespace {

// Writes and reads go at most this far at once (the API counts in DWORDs).
constexpr std::size_t kMaxChunk = 1u << 30;

OVERLAPPED at_offset(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

FileFailure failure_of(const std::string& path, int code, const std::string& reason = {}) {
  return {path, reason.empty() ? file_error_text(code) : reason, code};
}

// The name of the memory block where the holder of `path` leaves its process
// id: one per file, whatever case or form its path was given in.
std::string holder_block_name(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  const std::string text = n > 0 && n < sizeof full ? std::string(full, n) : path;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : text) {
    hash ^= static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\Morvane-file-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

// The path the system resolved an open handle to, without its "\\?\"
// prefix; empty when it cannot tell.
std::string final_path(HANDLE handle) {
  char text[MAX_PATH * 4];
  const DWORD n = GetFinalPathNameByHandleA(handle, text, sizeof text, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= sizeof text) return {};
  std::string path(text, n);
  if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
  return path;
}

bool same_path(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// Whether the open file is the one named `path` in its folder, not another
// reached through a link: the file must resolve to its folder's own path
// and its own name. (Wine follows a Unix symbolic link without telling it
// apart; this tells it all the same, and a link to a folder on the way is
// no harm.)
bool opened_at_its_name(HANDLE file, const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? "." : path.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  HANDLE dir = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return false;
  std::string expected = final_path(dir);
  CloseHandle(dir);
  if (expected.empty()) return false;
  if (expected.back() != '\\') expected += '\\';
  return same_path(final_path(file), expected + name);
}

unsigned long read_holder(const std::string& path) {
  HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, holder_block_name(path).c_str());
  if (block == nullptr) return 0;
  unsigned long pid = 0;
  if (const void* view = MapViewOfFile(block, FILE_MAP_READ, 0, 0, sizeof(DWORD))) {
    pid = *static_cast<const volatile DWORD*>(view);
    UnmapViewOfFile(view);
  }
  CloseHandle(block);
  return pid;
}

HANDLE publish_holder(const std::string& path) {
  HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                    holder_block_name(path).c_str());
  if (block == nullptr) return nullptr;
  if (void* view = MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
    *static_cast<volatile DWORD*>(view) = GetCurrentProcessId();
    UnmapViewOfFile(view);
  }
  return block;
}

class Win32File final : public StoredFile {
 public:
  Win32File(std::string path, HANDLE file, std::string folder)
      : StoredFile(std::move(path)), file_(file), folder_(std::move(folder)) {}
  ~Win32File() override {
    CloseHandle(file_);
    if (remove_) DeleteFileA(path_.c_str());
    if (!folder_.empty()) RemoveDirectoryA(folder_.c_str());
    if (holder_block_ != nullptr) CloseHandle(holder_block_);
  }

  bool write_at(std::uint64_t offset, const void* data, std::size_t size) override {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
      const DWORD want = static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
      OVERLAPPED o = at_offset(offset);
      DWORD done = 0;
      if (!WriteFile(file_, p, want, &done, &o)) return fail(static_cast<int>(GetLastError()));
      if (done == 0) return fail(ERROR_DISK_FULL);
      p += done;
      offset += done;
      size -= done;
    }
    return true;
  }

  long long read_at(std::uint64_t offset, void* into, std::size_t size) override {
    auto* p = static_cast<char*>(into);
    std::size_t got = 0;
    while (got < size) {
      const std::size_t left = size - got;
      const DWORD want = static_cast<DWORD>(left < kMaxChunk ? left : kMaxChunk);
      OVERLAPPED o = at_offset(offset + got);
      DWORD done = 0;
      if (!ReadFile(file_, p + got, want, &done, &o)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        fail(static_cast<int>(GetLastError()));
        return -1;
      }
      if (done == 0) break;
      got += done;
    }
    return static_cast<long long>(got);
  }

  bool truncate(std::uint64_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_))
      return fail(static_cast<int>(GetLastError()));
    return true;
  }

  bool sync() override {
    if (!FlushFileBuffers(file_)) return fail(static_cast<int>(GetLastError()));
    return true;
  }

  void remove_on_close() override { remove_ = folder_.empty(); }

  HANDLE holder_block_ = nullptr;

 private:
  HANDLE file_;
  std::string folder_;  // a private folder of its own, removed with the file
  bool remove_ = false;
};

}  // namespace

std::string file_error_text(int code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 && text != nullptr ? std::string(text, n) : "error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' '))
    out.pop_back();
  return out;
}

bool StoredFile::fail(int code) {
  failure_ = failure_of(path_, code);
  return false;
}

std::unique_ptr<StoredFile> StoredFile::private_temporary(const std::string& name, FileFailure& failure) {
  char base[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof base, base);
  if (n == 0 || n > MAX_PATH) {
    failure = failure_of("the temporary folder", static_cast<int>(GetLastError()));
    return nullptr;
  }
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char folder[MAX_PATH + 32];
    std::snprintf(folder, sizeof folder, "%smorvane-%08x", base, static_cast<unsigned>(random()));
    if (!CreateDirectoryA(folder, nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      failure = failure_of(base, static_cast<int>(GetLastError()),
                           "cannot make a private folder there: " + file_error_text(static_cast<int>(GetLastError())));
      return nullptr;
    }
    const std::string path = std::string(folder) + "\\" + name;
    // Gone with the last handle, also when the program is ended by force.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      failure = failure_of(path, static_cast<int>(GetLastError()));
      RemoveDirectoryA(folder);
      return nullptr;
    }
    return std::make_unique<Win32File>(path, file, folder);
  }
  failure = failure_of(base, ERROR_ALREADY_EXISTS, "cannot make a private folder there: no free name");
  return nullptr;
}

std::unique_ptr<StoredFile> StoredFile::held_in_place(const std::string& path, FileFailure& failure,
                                                      unsigned long& holder) {
  holder = 0;
  // Others may read it while we run, never write; a link is opened as
  // itself, so that it can be refused. A missing file is made only where
  // nothing stands at the name (not even a link that leads nowhere).
  const DWORD access = GENERIC_READ | GENERIC_WRITE;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
    file = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_NEW, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
      failure = failure_of(path, ERROR_FILE_EXISTS, "it is a link, not a plain file");
      return nullptr;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    const int code = static_cast<int>(GetLastError());
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
      holder = read_holder(path);
      failure = failure_of(path, code,
                           holder != 0 ? "it is in use by process " + std::to_string(holder)
                                       : "it is in use by another program");
      failure.in_use = true;
    } else {
      failure = failure_of(path, code);
    }
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  const bool link = known && ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                              !opened_at_its_name(file, path));
  const bool plain = known && !link && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                     GetFileType(file) == FILE_TYPE_DISK && info.nNumberOfLinks == 1;
  if (!plain) {
    failure = failure_of(path, ERROR_INVALID_PARAMETER,
                         link ? "it is a link, not a plain file"
                              : known && info.nNumberOfLinks > 1 ? "it has other names (hard links): it is not the program's own"
                                                                 : "it is not a plain file");
    CloseHandle(file);
    return nullptr;
  }
  auto held = std::make_unique<Win32File>(path, file, "");
  held->holder_block_ = publish_holder(path);
  return held;
}

}  // namespace morvane
