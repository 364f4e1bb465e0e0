// The same expectations against every backend: in the Windows build they hold
// the portable reader/writer to what the private-profile functions do.
#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "backends.h"
#include "scratch_dir.h"

namespace morvane::testing {
namespace {

class ProfileTest : public ::testing::TestWithParam<Backend> {
 protected:
  std::unique_ptr<Profile> open(const std::string& name) { return GetParam().make(dir.file(name)); }
  ScratchDir dir;
};

TEST_P(ProfileTest, FreshFileListsKeysInWriteOrder) {
  auto p = open("fresh.ini");
  p->write_string("Morvane", "left", "-2147483648");
  p->write_string("Morvane", "top", "5");
  p->write_string("font", "name", "Courier New");
  p->write_string("MORVANE", "TOP", "6");
  p->write_string("Morvane", "com", "3");
  EXPECT_EQ(read_bytes(dir.file("fresh.ini")),
            "[Morvane]\r\nleft=-2147483648\r\ntop=6\r\ncom=3\r\n[font]\r\nname=Courier New\r\n");
}

TEST_P(ProfileTest, RoundTripsValuesWhateverTheCase) {
  auto p = open("rt.ini");
  p->write_string("font", "height", "-16");
  p->write_string("font", "name", "Lucida Console");
  p->write_string("Morvane", "left", "-2147483648");
  EXPECT_EQ(p->get_int("FONT", "Height", 0), -16);
  EXPECT_EQ(p->get_int("morvane", "LEFT", 0), INT32_MIN);
  EXPECT_EQ(p->get_string("Font", "NAME", "x", 30), "Lucida Console");
  EXPECT_EQ(p->get_string("font", "name", "x", 8), "Lucida ");
  EXPECT_EQ(p->get_string("font", "name", "x", 1), "");
}

TEST_P(ProfileTest, MissingFileSectionOrKeyGivesDefault) {
  auto missing = open("none.ini");
  EXPECT_EQ(missing->get_int("Morvane", "left", 9999), 9999);
  EXPECT_EQ(missing->get_string("font", "name", "Courier New", 30), "Courier New");
  write_bytes(dir.file("some.ini"), "[Morvane]\r\nleft=1\r\nempty=\r\n");
  auto p = open("some.ini");
  EXPECT_EQ(p->get_int("font", "height", -12), -12);
  EXPECT_EQ(p->get_int("Morvane", "top", 9999), 9999);
  EXPECT_EQ(p->get_int("Morvane", "empty", 77), 77);
  EXPECT_EQ(p->get_string("Morvane", "empty", "def", 30), "");
  EXPECT_EQ(p->get_string("Morvane", "nokey", "Courier New Long Default", 10), "Courier N");
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.ini")));
}

TEST_P(ProfileTest, SaveKeepsCommentsUnknownKeysAndSections) {
  const std::string path = dir.file("keep.ini");
  write_bytes(path, "; my settings\r\n[Other]\r\nx=1\r\n[morvane]\r\nLeft=3\r\nunk=9\r\n[Tail]\r\ny=2");
  auto p = open("keep.ini");
  p->write_string("Morvane", "left", "4");
  p->write_string("Morvane", "top", "7");
  p->write_string("font", "italic", "1");
  EXPECT_EQ(read_bytes(path),
            "; my settings\r\n[Other]\r\nx=1\r\n[morvane]\r\nLeft=4\r\nunk=9\r\ntop=7\r\n"
            "[Tail]\r\ny=2\r\n[font]\r\nitalic=1\r\n");
}

TEST_P(ProfileTest, UnchangedValueLeavesFileAlone) {
  const std::string path = dir.file("same.ini");
  write_bytes(path, "[s]\n  k = 1\n\n");
  open("same.ini")->write_string("s", "k", "1");
  EXPECT_EQ(read_bytes(path), "[s]\n  k = 1\n\n");
}

TEST_P(ProfileTest, WriteIntoMissingDirectoryIsSilentlyDropped) {
  write_bytes(dir.file("plain"), "not a directory");
  auto p = GetParam().make(dir.file("plain") + "/sub/x.ini");
  p->write_string("s", "k", "1");
  EXPECT_EQ(p->get_int("s", "k", 5), 5);
  auto in_dir = GetParam().make(dir.file("gone") + "/x.ini");
  in_dir->write_string("s", "k", "1");
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
}

TEST_P(ProfileTest, DirectoryInPlaceOfTheFile) {
  std::filesystem::create_directory(dir.file("Morvane.ini"));
  auto p = open("Morvane.ini");
  p->write_string("s", "k", "1");
  EXPECT_EQ(p->get_int("s", "k", 5), 5);
  EXPECT_EQ(p->get_string("s", "k", "def", 30), "def");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("Morvane.ini")));
}

#ifndef _WIN32
TEST_P(ProfileTest, PipeInPlaceOfTheFileNeverBlocks) {
  ASSERT_EQ(mkfifo(dir.file("Morvane.ini").c_str(), 0600), 0);
  auto p = open("Morvane.ini");
  EXPECT_EQ(p->get_int("s", "k", 5), 5);
  p->write_string("s", "k", "1");
  EXPECT_EQ(p->get_string("s", "k", "def", 30), "def");
}
#endif

TEST_P(ProfileTest, ReadOnlyFileIsNeitherChangedNorFatal) {
  const std::string path = dir.file("ro.ini");
  write_bytes(path, "[s]\r\nk=1\r\n");
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (std::ofstream(path, std::ios::app)) GTEST_SKIP() << "read-only files are writable for this user";
  auto p = open("ro.ini");
  p->write_string("s", "k", "2");
  p->write_string("t", "n", "3");
  EXPECT_EQ(p->get_int("s", "k", 0), 1);
  EXPECT_EQ(read_bytes(path), "[s]\r\nk=1\r\n");
}

TEST_P(ProfileTest, UnreadableFileIsNotReplacedByOneKey) {
  const std::string path = dir.file("wo.ini");
  write_bytes(path, "[s]\r\nk=1\r\nother=2\r\n");
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::replace);
  if (std::ifstream(path)) GTEST_SKIP() << "unreadable files are readable for this user";
  open("wo.ini")->write_string("s", "k", "2");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
  EXPECT_EQ(read_bytes(path), "[s]\r\nk=1\r\nother=2\r\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileTest, ::testing::ValuesIn(all_backends()), backend_name);

}  // namespace
}  // namespace morvane::testing
