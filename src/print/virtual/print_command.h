// Handing a finished PDF to the system's print queue: a command line such as
// "lp -d QUEUE" run directly (no shell), with the file as an argument.
#pragma once

#include <string>
#include <vector>

namespace morvane {

// The arguments of `command` for `file`: the command is cut at blanks (no
// quoting); every "%f" becomes the file's path, and the path is added as the
// last argument when no argument holds "%f". Empty when the command is blank.
std::vector<std::string> print_arguments(const std::string& command, const std::string& file);

// Where `program` runs from: itself when it holds a '/', otherwise the first
// executable file of that name in the folders of `path` (a PATH value, ':'
// between folders, an empty entry meaning the current folder). Empty when
// there is none.
std::string find_program(const std::string& program, const std::string& path);

// The program of a print command (its first word) is there to run, as the
// system's PATH finds it. False with a message that names it and, for the
// system's own "lp", the package that brings it.
bool print_command_available(const std::string& command, std::string& error);

// Print commands started and not yet waited for.
class PrintJobs {
 public:
  PrintJobs() = default;
  ~PrintJobs() { wait_all(); }
  PrintJobs(const PrintJobs&) = delete;
  PrintJobs& operator=(const PrintJobs&) = delete;

  // Starts the command for `file` without waiting for it; false when it
  // could not be started.
  bool start(const std::string& command, const std::string& file);
  // Waits for every started command.
  void wait_all();
  // Commands that could not start or ended with a failure, so far.
  int failures() const { return failures_; }

 private:
  void reap(bool block);

  std::vector<int> pids_;
  int failures_ = 0;
};

}  // namespace morvane
