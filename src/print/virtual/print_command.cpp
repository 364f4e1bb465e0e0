#include "print/virtual/print_command.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace morvane {

std::vector<std::string> print_arguments(const std::string& command, const std::string& file) {
  std::vector<std::string> args;
  std::string word;
  bool has_placeholder = false;
  auto flush = [&] {
    if (word.empty()) return;
    for (std::size_t at = word.find("%f"); at != std::string::npos;
         at = word.find("%f", at + file.size())) {
      word.replace(at, 2, file);
      has_placeholder = true;
    }
    args.push_back(std::move(word));
    word.clear();
  };
  for (char c : command) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      flush();
    } else {
      word += c;
    }
  }
  flush();
  if (!args.empty() && !has_placeholder) args.push_back(file);
  return args;
}

bool PrintJobs::start(const std::string& command, const std::string& file) {
  reap(false);
  std::vector<std::string> args = print_arguments(command, file);
  if (args.empty()) return true;
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    ++failures_;
    return false;
  }
  pids_.push_back(pid);
  return true;
}

void PrintJobs::wait_all() { reap(true); }

void PrintJobs::reap(bool block) {
  for (std::size_t i = 0; i < pids_.size();) {
    int status = 0;
    pid_t r = waitpid(pids_[i], &status, block ? 0 : WNOHANG);
    if (r == 0) {
      ++i;
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failures_;
    pids_.erase(pids_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace morvane
