// What becomes of every ended page, and the spool file as other programs see
// it: never written through a link, held against a second program, read
// back no further than its page.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>

#include "page/commands.h"
#include "page/printing.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;
using Paper = PageOutcome::Paper;

namespace fs = std::filesystem;

// A shell that keeps every outcome.
struct Outcomes : test::TestShell {
  void page_printed(const PageOutcome& outcome) override { seen.push_back(outcome); }
  std::vector<PageOutcome> seen;
};

struct Fixture : EngineFixture {
  explicit Fixture(RecordingPrinterConfig config = {}) : EngineFixture(std::move(config)) {}
  Outcomes outcomes;
  Engine engine_with_outcomes{outcomes, printers};
};

std::string sheet_text(const std::vector<DrawRecord>& sheet) {
  std::string s;
  for (const auto& r : sheet)
    if (r.kind == DrawKind::draw_text) s += r.text;
  return s;
}


TEST(PageOutcomes, EveryEndedPageSaysWhatBecameOfIt) {
  struct Case {
    const char* name;
    std::string bytes;
    std::function<void(Engine&, RecordingPrinterConfig&)> setup;
    std::vector<Paper> want;
    std::vector<std::uint64_t> sizes;
  };
  const Case cases[] = {
      {"a leading form feed is no sheet", "\fONE\fTWO\f", nullptr,
       {Paper::blank, Paper::printed, Paper::printed}, {1, 4, 4}},
      {"printing off: pages end, none is printed", "ONE\fTWO\f",
       [](Engine& e, RecordingPrinterConfig&) { set_printer_enabled(e, false); },
       {Paper::not_printed, Paper::not_printed}, {4, 4}},
      {"a sheet the printer does not take", "ONE\f",
       [](Engine&, RecordingPrinterConfig& c) { c.fail_end_page = "disk full"; }, {Paper::failed}, {4}},
      {"a document that does not start", "ONE\f",
       [](Engine&, RecordingPrinterConfig& c) { c.fail_start_doc = true; }, {Paper::failed}, {4}},
      {"a spool file that cannot be made", "ONE\fTWO\f",
       [](Engine& e, RecordingPrinterConfig&) { e.spool.set_path("/nonexistent/dir/Morvane.$$$"); },
       {Paper::failed, Paper::failed}, {4, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    Engine& e = f.engine_with_outcomes;
    e.spool.set_path(test::temp_spool_path());
    set_printer_font(e, base_font(-24, 400, 0, "Courier New"));
    if (c.setup) c.setup(e, f.printers.config());
    feed_screen(e, reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
    ASSERT_EQ(f.outcomes.seen.size(), c.want.size());
    for (std::size_t i = 0; i < c.want.size(); ++i) {
      const PageOutcome& got = f.outcomes.seen[i];
      EXPECT_EQ(got.paper, c.want[i]) << i;
      EXPECT_EQ(got.bytes, c.sizes[i]) << i;
      // A page not printed says why; one that is, or that is no page, does not.
      EXPECT_EQ(got.failure.empty(), got.paper != Paper::failed) << i << ": " << got.failure;
      // What the engine showed the user already is not to be told again.
      EXPECT_EQ(got.told, got.paper == Paper::failed && !f.outcomes.errors.empty()) << i;
    }
    end_run(e);
    std::error_code ec;
    fs::remove(e.spool.path(), ec);
  }
}

// Bytes another program put into the file (one that ignores the lock) never
// reach the paper: the replay reads the page's own count.
TEST(SpoolFile, TheReplayPrintsOnlyThePagesOwnBytes) {
  EngineFixture f;
  f.use_metrics(TextMetrics{17, 0, 10, 10});
  f.feed("PAGE");
  f.engine.spool.flush();
  std::ofstream(f.engine.spool.path(), std::ios::app | std::ios::binary) << "INTRUDER";
  f.feed("\f");
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_EQ(sheet_text(sheets[0]), "PAGE");
}

// Links, a second process and TMPDIR as POSIX systems have them (the
// Windows program's file is checked under Wine, tests/e2e).
#ifndef _WIN32
std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SpoolFile, APlantedLinkIsNeverWrittenThrough) {
  const fs::path dir = fs::temp_directory_path() / ("morvane_spool_link_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "victim") << "precious";
  fs::create_symlink(dir / "victim", dir / "Morvane.$$$");
  Fixture f;
  Engine& e = f.engine_with_outcomes;
  e.spool.set_path((dir / "Morvane.$$$").string());
  set_printer_font(e, base_font(-24, 400, 0, "Courier New"));
  const std::string bytes = "ONE\fTWO\f";
  feed_screen(e, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(read_file(dir / "victim"), "precious");
  ASSERT_EQ(f.outcomes.errors.size(), 1u);  // told once
  EXPECT_NE(f.outcomes.errors[0].first.find("link"), std::string::npos) << f.outcomes.errors[0].first;
  EXPECT_EQ(f.printers.log().count(PrinterCall::start_page), 0u);
  end_run(e);
  EXPECT_TRUE(fs::is_symlink(dir / "Morvane.$$$"));
  fs::remove_all(dir);
}

TEST(SpoolFile, ASecondProgramIsToldWhichProcessHoldsIt) {
  const std::string path = test::temp_spool_path();
  unsigned long holder = 0;
  FileFailure why;
  auto held = StoredFile::held_in_place(path, why, holder);
  ASSERT_NE(held, nullptr) << why.text();
  const pid_t child = ::fork();
  if (child == 0) {
    unsigned long other = 0;
    FileFailure refused;
    auto second = StoredFile::held_in_place(path, refused, other);
    const bool named = refused.reason.find(std::to_string(::getppid())) != std::string::npos;
    ::_exit(second == nullptr && other == static_cast<unsigned long>(::getppid()) && named ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  held.reset();
  fs::remove(path);
}

TEST(SpoolFile, APrivateSpoolLeavesNothingBehindAndReadsBackItsPage) {
  const fs::path tmp = fs::temp_directory_path() / ("morvane_spool_private_" + std::to_string(::getpid()));
  fs::remove_all(tmp);
  fs::create_directories(tmp);
  ::setenv("TMPDIR", tmp.c_str(), 1);
  FileFailure why;
  auto file = StoredFile::private_temporary("Morvane.$$$", why);
  ::unsetenv("TMPDIR");
  ASSERT_NE(file, nullptr) << why.text();
  EXPECT_TRUE(fs::is_empty(tmp));  // no name, no folder left, whatever ends the program
  SpoolFile spool;
  spool.use(std::move(file));
  for (char c : std::string("first page")) ASSERT_TRUE(spool.append(static_cast<std::uint8_t>(c)));
  ASSERT_TRUE(spool.close());
  for (char c : std::string("2nd")) ASSERT_TRUE(spool.append(static_cast<std::uint8_t>(c)));
  ASSERT_TRUE(spool.close());
  std::uint8_t back[64] = {};
  EXPECT_EQ(spool.read(0, back, sizeof back), 3u);  // the newest page only
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 3), "2nd");
  EXPECT_EQ(spool.read(1, back, 1), 1u);
  EXPECT_EQ(back[0], 'n');
  fs::remove_all(tmp);
}
#endif

}  // namespace
}  // namespace morvane
