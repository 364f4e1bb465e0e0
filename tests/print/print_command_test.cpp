// Finding the print command before a run prints anything (the message for
// a missing lp is checked end to end, in cli_e2e).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "print/virtual/print_command.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

class FindProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("morvane-path-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* dir : {"a", "b", "c"}) fs::create_directories(root_ / dir);
    make(root_ / "a" / "plain", fs::perms{0644});   // not executable
    make(root_ / "b" / "plain", fs::perms{0755});
    make(root_ / "c" / "lp", fs::perms{0755});
    fs::create_directories(root_ / "a" / "lp");  // a folder of that name is no program
  }
  void TearDown() override { fs::remove_all(root_); }

  static void make(const fs::path& file, fs::perms mode) {
    std::ofstream(file) << "#!/bin/sh\n";
    fs::permissions(file, mode);
  }
  std::string dir(const char* name) const { return (root_ / name).string(); }

  fs::path root_;
};

TEST_F(FindProgram, ThroughTheFoldersOfPath) {
  const std::string a = dir("a"), b = dir("b"), c = dir("c");
  struct Case {
    std::string program, path, expected;
  };
  const Case cases[] = {
      {"plain", a + ":" + b, b + "/plain"},  // the first executable one
      {"plain", b + ":" + a, b + "/plain"},
      {"plain", a, ""},
      {"lp", a + ":" + c, c + "/lp"},  // past a folder named lp
      {"lp", a + ":" + b, ""},
      {"lp", "", ""},
      {"lp", "::" + c, c + "/lp"},
      {c + "/lp", "", c + "/lp"},  // a path is taken as it is
      {a + "/plain", b, ""},
      {"", c, ""},
  };
  for (const Case& k : cases) EXPECT_EQ(find_program(k.program, k.path), k.expected) << k.program << " in " << k.path;
}

}  // namespace
}  // namespace morvane
