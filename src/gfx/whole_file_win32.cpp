// A file that appears only once complete: the bytes go to a new file beside
// it, are flushed to the disk and then renamed over the target.
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "gfx/png_writer.h"

namespace morvane {

namespace {

constexpr int kNameTries = 64;
// A viewer or a virus scanner may hold the old file for a moment.
constexpr int kRenameTries = 10;
constexpr DWORD kRenamePauseMs = 50;
constexpr DWORD kChunk = 1u << 20;

bool fail(const char* step, DWORD code, WriteFailure& failure) {
  failure.step = step;
  failure.code = code;
  return false;
}

// "<path>.<process>-<count>-<tick>.tmp": not a name a page has, so a file
// left by a killed run never passes for one.
std::string temporary_name(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  char tail[64];
  std::snprintf(tail, sizeof tail, ".%lx-%x-%lx.tmp", GetCurrentProcessId(), counter++,
                static_cast<unsigned long>(GetTickCount()));
  return path + tail;
}

// A new file of our own, never one that was there (a planted link neither).
HANDLE create_new(const std::string& path, std::string& temporary) {
  for (int i = 0; i < kNameTries; ++i) {
    temporary = temporary_name(path);
    HANDLE h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return h;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

bool write_all(HANDLE h, const std::vector<std::uint8_t>& bytes, WriteFailure& failure) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD want = left < kChunk ? static_cast<DWORD>(left) : kChunk;
    DWORD wrote = 0;
    if (!WriteFile(h, bytes.data() + done, want, &wrote, nullptr)) return fail("writing", GetLastError(), failure);
    if (wrote == 0) return fail("writing", ERROR_DISK_FULL, failure);
    done += wrote;
  }
  if (!FlushFileBuffers(h)) return fail("flushing to the disk", GetLastError(), failure);
  return true;
}

bool rename_over(const std::string& from, const std::string& to, WriteFailure& failure) {
  DWORD code = 0;
  for (int i = 0; i < kRenameTries; ++i) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    code = GetLastError();
    if (code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED && code != ERROR_LOCK_VIOLATION) break;
    Sleep(kRenamePauseMs);
  }
  return fail("putting it in place", code, failure);
}

}  // namespace

bool store_whole_file(const std::string& path, const std::vector<std::uint8_t>& bytes,
                      WriteFailure& failure) {
  std::string temporary;
  HANDLE h = create_new(path, temporary);
  if (h == INVALID_HANDLE_VALUE) return fail("creating a temporary file beside it", GetLastError(), failure);
  bool ok = write_all(h, bytes, failure);
  if (!CloseHandle(h) && ok) ok = fail("closing", GetLastError(), failure);
  if (ok && rename_over(temporary, path, failure)) return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace morvane
