#include "print/virtual/print_command.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

namespace {

bool executable_file(const std::string& file) {
  struct stat st {};
  return stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0;
}

}  // namespace

std::string find_program(const std::string& program, const std::string& path) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return executable_file(program) ? program : std::string();
  std::size_t from = 0;
  for (;;) {
    const std::size_t colon = path.find(':', from);
    const std::string dir = path.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
    const std::string file = (dir.empty() ? std::string(".") : dir) + "/" + program;
    if (executable_file(file)) return file;
    if (colon == std::string::npos) return {};
    from = colon + 1;
  }
}

bool print_command_available(const std::string& command, std::string& error) {
  const std::vector<std::string> words = print_arguments(command, "");
  if (words.empty()) return true;  // nothing is run
  const char* path = std::getenv("PATH");
  if (!find_program(words[0], path ? path : "/usr/bin:/bin").empty()) return true;
  error = "cannot print: the print command \"" + words[0] + "\" is not installed";
  if (words[0] == "lp") error += " (it comes with CUPS: on Debian and Ubuntu the package cups-client)";
  return false;
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
