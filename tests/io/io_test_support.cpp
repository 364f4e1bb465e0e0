#include "io_test_support.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
extern char** environ;
#endif

#include "io/serial_line.h"
#include "io/serial_line_ring.h"

namespace morvane::test {

namespace {

int process_id() {
#ifdef _WIN32
  return static_cast<int>(GetCurrentProcessId());
#else
  return static_cast<int>(getpid());
#endif
}

}  // namespace

int unique_line(int k) { return 90 + 100 * (process_id() % 100000) + k; }

void remove_line_block(int line) {
#ifdef _WIN32
  (void)line;  // the system drops it with its last holder
#else
  shm_unlink(("/" + serial_line_name(line)).c_str());
#endif
}

RawAttachment::RawAttachment(int line) : block_(make_system_shared_block()) {
  int error = 0;
  if (block_->open(serial_line_name(line), kSerialBlockSize)) view_ = block_->map(error);
}

std::uint8_t* RawAttachment::half(int which) const {
  return view_ == nullptr ? nullptr : view_ + (which == 0 ? 0 : kSerialHalfSize);
}

#ifndef _WIN32
HangGuard::HangGuard(unsigned seconds) { alarm(seconds); }

HangGuard::~HangGuard() { alarm(0); }

const std::vector<PlantedFile>& planted_files() {
  static const std::vector<PlantedFile> files = {
      {"a FIFO", [](const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }},
      {"a symbolic link", [](const std::string& path) { return symlink("/dev/null", path.c_str()) == 0; }},
      {"a directory", [](const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }},
  };
  return files;
}

void remove_planted(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}
#endif

std::string serial_peer_path() {
  std::string path = SERIAL_PEER_PATH;
#ifdef _WIN32
  // Under Wine the build tree's Unix path is reached through drive Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

#ifdef _WIN32

ChildProcess::ChildProcess(const std::vector<std::string>& args, int) {
  std::string command;
  for (const std::string& arg : args) command += (command.empty() ? "\"" : " \"") + arg + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  if (started_) {
    CloseHandle(info.hThread);
    handle_ = info.hProcess;
  }
}

ChildProcess::~ChildProcess() {
  if (started_ && !ended_) wait(0);
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

int ChildProcess::wait(int timeout_ms) {
  if (!started_) return -1;
  HANDLE process = static_cast<HANDLE>(handle_);
  if (WaitForSingleObject(process, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, INFINITE);
    ended_ = true;
    return -1;
  }
  ended_ = true;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

bool ChildProcess::interrupt() { return false; }

#else

ChildProcess::ChildProcess(const std::vector<std::string>& args, int input_fd) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input_fd >= 0) posix_spawn_file_actions_adddup2(&actions, input_fd, 0);
  pid_t pid = 0;
  started_ = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  id_ = pid;
}

ChildProcess::~ChildProcess() {
  if (started_ && !ended_) wait(0);
}

int ChildProcess::wait(int timeout_ms) {
  if (!started_) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(static_cast<pid_t>(id_), &status, WNOHANG);
    if (done == static_cast<pid_t>(id_)) break;
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
      kill(static_cast<pid_t>(id_), SIGKILL);
      waitpid(static_cast<pid_t>(id_), &status, 0);
      ended_ = true;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ended_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::interrupt() {
  return started_ && !ended_ && kill(static_cast<pid_t>(id_), SIGINT) == 0;
}

#endif

}  // namespace morvane::test
