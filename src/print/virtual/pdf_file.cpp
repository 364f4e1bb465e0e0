#include "print/virtual/pdf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "print/stored_file_posix.h"

namespace morvane {

namespace {

struct Place {
  std::string folder;
  std::string name;
};

Place place_of(const std::string& path) {
  const std::filesystem::path p(path);
  Place place{p.parent_path().string(), p.filename().string()};
  if (place.folder.empty()) place.folder = ".";
  return place;
}

std::string random_name(const std::string& name) {
  static std::mt19937_64 random{std::random_device{}()};
  char tag[24];
  std::snprintf(tag, sizeof tag, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
  return "." + name + "." + tag + ".tmp";
}

// What stands at a name already, told the way the user can act on it.
bool name_usable(int folder_fd, const std::string& name, EarlierFile& earlier, std::string& error) {
  earlier = {};
  struct stat st {};
  if (::fstatat(folder_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return true;
    error = file_error_text(errno);
    return false;
  }
  if (S_ISLNK(st.st_mode)) {
    error = "it is a symbolic link: the PDF is never written through one (remove it or name another file)";
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "it is not a plain file";
    return false;
  }
  // A file its owner made read-only is not replaced either.
  if (::faccessat(folder_fd, name.c_str(), W_OK, AT_EACCESS) != 0) {
    error = file_error_text(errno);
    return false;
  }
  earlier = {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

int open_folder(const std::string& folder, std::string& error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) error = file_error_text(errno);
  return fd;
}

mode_t file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A new file in the folder: without a name where the system can (nothing is
// left behind if the program dies before the first page), else under a
// fresh hidden name. Never through a link, never an existing file.
int make_file(int folder_fd, const std::string& name, std::string& temporary_name, int& code) {
#ifdef O_TMPFILE
  int fd = ::openat(folder_fd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, file_mode());
  if (fd >= 0) {
    temporary_name.clear();
    return fd;
  }
#endif
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_name = random_name(name);
    const int made = ::openat(folder_fd, temporary_name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (made >= 0) {
      ::fchmod(made, file_mode());
      return made;
    }
    if (errno != EEXIST) break;
  }
  code = errno;
  return -1;
}

bool same_file(int fd, int folder_fd, const std::string& name) {
  struct stat mine {}, named {};
  return ::fstat(fd, &mine) == 0 && ::fstatat(folder_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

// Gives the nameless file `fd` the name `name` in the folder.
bool link_nameless(int fd, int folder_fd, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), folder_fd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
#ifdef AT_EMPTY_PATH
  if (errno != EEXIST && ::linkat(fd, "", folder_fd, name.c_str(), AT_EMPTY_PATH) == 0) return true;
#endif
  return false;
}

}  // namespace

bool check_pdf_target(const std::string& path, EarlierFile& earlier, std::string& error) {
  const Place place = place_of(path);
  const int folder_fd = open_folder(place.folder, error);
  if (folder_fd < 0) return false;
  bool ok = name_usable(folder_fd, place.name, earlier, error);
  if (ok) {
    std::string temporary_name;
    int code = 0;
    const int fd = make_file(folder_fd, place.name, temporary_name, code);
    ok = fd >= 0;
    if (ok) {
      if (!temporary_name.empty()) ::unlinkat(folder_fd, temporary_name.c_str(), 0);
      ::close(fd);
    } else {
      error = file_error_text(code);
    }
  }
  ::close(folder_fd);
  return ok;
}

bool remove_earlier_file(const std::string& path, const EarlierFile& earlier) {
  if (!earlier.exists) return false;
  const Place place = place_of(path);
  std::string error;
  const int folder_fd = open_folder(place.folder, error);
  if (folder_fd < 0) return false;
  struct stat st {};
  bool removed = false;
  if (::fstatat(folder_fd, place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uint64_t>(st.st_dev) == earlier.device && static_cast<std::uint64_t>(st.st_ino) == earlier.inode)
    removed = ::unlinkat(folder_fd, place.name.c_str(), 0) == 0;
  ::close(folder_fd);
  return removed;
}

PdfFile::~PdfFile() {
  std::string ignored;
  close(ignored);
}

void PdfFile::reset() {
  appender_.reset();
  file_.reset();  // closes fd_; a file that never got the name goes with it
  fd_ = -1;
  if (folder_fd_ >= 0) ::close(folder_fd_);
  folder_fd_ = -1;
  published_ = false;
}

bool PdfFile::open(const std::string& path, Naming naming, bool sync_each_page, std::string& error) {
  reset();
  const Place place = place_of(path);
  path_ = path;
  folder_ = place.folder;
  name_ = place.name;
  naming_ = naming;
  folder_fd_ = open_folder(folder_, error);
  if (folder_fd_ < 0) return false;
  EarlierFile earlier;
  if (!name_usable(folder_fd_, name_, earlier, error)) {
    reset();
    return false;
  }
  if (naming == Naming::fresh && earlier.exists) {
    error = file_error_text(EEXIST);
    reset();
    return false;
  }
  int code = 0;
  fd_ = make_file(folder_fd_, name_, temporary_name_, code);
  if (fd_ < 0) {
    error = file_error_text(code);
    reset();
    return false;
  }
  file_ = adopt_descriptor(temporary_name_.empty() ? path_ : folder_ + "/" + temporary_name_, fd_,
                           !temporary_name_.empty());
  // Until it has its name the file is only ours: gone if it never gets it.
  // (Once renamed, its temporary name leads nowhere and nothing is removed.)
  file_->remove_on_close();
  sync_each_page_ = sync_each_page;
  appender_ = std::make_unique<PdfAppender>(*file_, sync_each_page);
  return true;
}

bool PdfFile::still_ours(std::string& error) const {
  if (same_file(fd_, folder_fd_, name_)) return true;
  error = "it was removed or replaced by another program: this run's pages from here on are not in it";
  return false;
}

bool PdfFile::publish(std::string& error) {
  bool named = false;
  if (temporary_name_.empty()) {
    if (naming_ == Naming::fresh) {
      named = link_nameless(fd_, folder_fd_, name_);
    } else {
      // A link cannot replace a file: the name comes by a rename.
      const std::string interim = random_name(name_);
      named = link_nameless(fd_, folder_fd_, interim);
      if (named && ::renameat(folder_fd_, interim.c_str(), folder_fd_, name_.c_str()) != 0) {
        const int code = errno;
        ::unlinkat(folder_fd_, interim.c_str(), 0);
        errno = code;
        named = false;
      }
    }
  } else if (naming_ == Naming::fresh) {
    named = ::linkat(folder_fd_, temporary_name_.c_str(), folder_fd_, name_.c_str(), 0) == 0;
    if (named) ::unlinkat(folder_fd_, temporary_name_.c_str(), 0);
  } else {
    named = ::renameat(folder_fd_, temporary_name_.c_str(), folder_fd_, name_.c_str()) == 0;
  }
  if (!named) {
    error = file_error_text(errno);
    return false;
  }
  temporary_name_.clear();
  published_ = true;
  // The new name is on the disk as well (some file systems cannot sync a
  // folder). When that fails the page is in the file all the same, but it
  // is not reported stored.
  if (::fsync(folder_fd_) != 0 && errno != EINVAL && errno != EROFS) {
    error = file_error_text(errno);
    return false;
  }
  return true;
}

bool PdfFile::add_page(std::string_view one_page_document, std::string& error) {
  if (!appender_) {
    error = "the file is not open";
    return false;
  }
  if (published_ && !still_ours(error)) return false;
  if (!appender_->add_page(one_page_document, error)) return false;
  if (published_ || publish(error)) return true;
  if (published_) return false;
  // The page is not at the name: the file starts again empty for the next.
  file_->truncate(0);
  appender_ = std::make_unique<PdfAppender>(*file_, sync_each_page_);
  return false;
}

bool PdfFile::close(std::string& error) {
  if (!appender_) return false;
  const bool kept = published_ && appender_->finish(error) && still_ours(error);
  reset();
  return kept;
}

void PdfFile::discard() {
  if (published_ && same_file(fd_, folder_fd_, name_)) ::unlinkat(folder_fd_, name_.c_str(), 0);
  reset();
}

}  // namespace morvane
