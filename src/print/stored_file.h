// Files the program writes for itself (the spool file) and the building
// blocks of its outputs: every write complete and checked, a failure kept
// with the file's name and the system's reason, and no file ever opened
// through a link someone planted at its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace morvane {

// What went wrong with a file, as the user is told it: "<file>: <reason>".
struct FileFailure {
  std::string path;
  std::string reason;  // the system's text for the error
  int code = 0;        // errno, or the Windows error code
  bool in_use = false;  // another program holds the file
  bool failed() const { return code != 0 || !reason.empty(); }
  std::string text() const { return path + ": " + reason; }
};

// The system's text for an error code (errno, or a Windows error code).
std::string file_error_text(int code);

class StoredFile {
 public:
  virtual ~StoredFile() = default;

  // The page spool of a program that must not write into its working
  // folder: a new file, readable by this user only, in a folder of its own
  // under the system's temporary folder. It has no name left once made, so
  // nothing stays behind, whatever ends the program. Null with the reason.
  static std::unique_ptr<StoredFile> private_temporary(const std::string& name, FileFailure& failure);

  // A file at `path` that the program keeps as its own while it runs: made
  // when missing, never opened when the name is a link or not a plain file,
  // and held so that no other program writes to it meanwhile. When another
  // program holds it, `holder` is that program's process id (0: unknown) and
  // the reason says that the file is in use. Null with the reason otherwise.
  static std::unique_ptr<StoredFile> held_in_place(const std::string& path, FileFailure& failure,
                                                   unsigned long& holder);

  const std::string& path() const { return path_; }
  // The last failure; writes after a failure still try.
  const FileFailure& failure() const { return failure_; }

  // Writes all `size` bytes at `offset`, retrying short and interrupted
  // writes; false (failure() says why) when not all of them were written.
  virtual bool write_at(std::uint64_t offset, const void* data, std::size_t size) = 0;
  // Reads up to `size` bytes at `offset`; the count read (0 at the end), or
  // -1 on failure.
  virtual long long read_at(std::uint64_t offset, void* into, std::size_t size) = 0;
  // Cuts or extends the file to `size` bytes.
  virtual bool truncate(std::uint64_t size) = 0;
  // Puts what was written on the disk itself.
  virtual bool sync() = 0;
  // Removes the file's name, when it has one, as the file is closed.
  virtual void remove_on_close() = 0;

 protected:
  explicit StoredFile(std::string path) : path_(std::move(path)) {}
  // Records the failure of an operation with the system's error code.
  bool fail(int code);

  std::string path_;
  FileFailure failure_;
};

}  // namespace morvane
