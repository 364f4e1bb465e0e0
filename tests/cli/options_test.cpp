#include "cli/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "cli/run_config.h"

namespace morvane::cli {
namespace {

struct GoodCase {
  std::vector<std::string> args;
  std::function<bool(const CliOptions&)> check;
};

TEST(Options, AcceptedCommandLines) {
  const std::vector<GoodCase> cases = {
      {{"render"}, [](const CliOptions& o) { return o.command == Command::render && o.files.empty(); }},
      {{"render", "a.bin", "-", "--", "-b.bin"},
       [](const CliOptions& o) { return o.files == std::vector<std::string>{"a.bin", "-", "-b.bin"}; }},
      {{"--pdf", "x.pdf", "render", "--png=dir"},
       [](const CliOptions& o) { return *o.pdf_path == "x.pdf" && *o.png_dir == "dir"; }},
      {{"render", "--print"}, [](const CliOptions& o) { return o.print && o.print_queue.empty() && o.face == Face::truetype; }},
      {{"render", "--face", "dots"}, [](const CliOptions& o) { return o.face == Face::dots; }},
      {{"listen", "--face=dots", "--face=truetype"}, [](const CliOptions& o) { return o.face == Face::truetype; }},
      {{"render", "--print=office"}, [](const CliOptions& o) { return o.print && o.print_queue == "office"; }},
      {{"info", "--paper", "a4", "--dpi", "300", "--offset", "0"},
       [](const CliOptions& o) { return o.paper == Paper::a4 && o.dpi == 300 && o.offset == 0; }},
      {{"info", "--emulation", "plotter", "--font", "Courier New", "--font-height", "12"},
       [](const CliOptions& o) { return *o.emulation == 1 && *o.font_name == "Courier New" && *o.font_height == 12; }},
      {{"listen", "--tcp", "9100"},
       [](const CliOptions& o) { return o.tcp->host == "127.0.0.1" && o.tcp->port == 9100; }},
      {{"listen", "--tcp=0.0.0.0:9100"}, [](const CliOptions& o) { return o.tcp->host == "0.0.0.0"; }},
      {{"listen", "--port", "/dev/ttyUSB0", "--baud", "19200", "--data-bits", "7", "--parity", "even",
        "--stop-bits", "1.5", "--flow", "hardware"},
       [](const CliOptions& o) {
         const PortOptions& p = o.port_options;
         return *o.port == "/dev/ttyUSB0" && *p.baudrate == 8 && *p.bytesize == 0 && *p.parity == 2 &&
                *p.stopbits == 1 && *p.flowctrl == 2;
       }},
      {{"listen", "--line", "7", "--idle-eject", "2.5", "--discard-partial", "-q"},
       [](const CliOptions& o) {
         return *o.line == 7 && o.idle_eject_seconds == 2.5 && o.discard_partial && o.quiet;
       }},
      {{"render", "--window"}, [](const CliOptions& o) { return o.window; }},
      {{"listen", "--tcp", "0", "--window"}, [](const CliOptions& o) { return o.window; }},
      {{"listen"}, [](const CliOptions& o) { return !o.window; }},
      {{"--version"}, [](const CliOptions& o) { return o.command == Command::version; }},
      {{"help"}, [](const CliOptions& o) { return o.command == Command::help; }},
  };
  for (const auto& c : cases) {
    const ParseResult r = parse_command_line(c.args);
    const std::string line = c.args.empty() ? "" : c.args[0] + " ...";
    EXPECT_TRUE(r.error.empty()) << line << ": " << r.error;
    EXPECT_TRUE(c.check(r.options)) << line;
  }
}

TEST(Options, UsageErrorsNameTheProblem) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no command"},
      {{"print"}, "unknown command"},
      {{"render", "--frob"}, "unknown option --frob"},
      {{"render", "--help", "--frob"}, "unknown option --frob"},
      {{"render", "--pdf"}, "--pdf needs a value"},
      {{"render", "--pdf="}, "--pdf"},
      {{"render", "--dpi", "71"}, "--dpi"},
      {{"render", "--dpi", "600x"}, "--dpi"},
      {{"render", "--paper", "legal"}, "--paper"},
      {{"render", "--emulation", "laser"}, "--emulation"},
      {{"render", "--face", "Dots"}, "invalid value 'Dots' for --face (expected truetype or dots)"},
      {{"listen", "--face"}, "--face needs a value"},
      {{"render", "--font-height", "0"}, "--font-height"},
      {{"render", "--font", std::string(32, 'x')}, "--font"},
      {{"render", "--print="}, "--print"},
      {{"render", "--line", "3"}, "--line applies to listen only"},
      {{"info", "--discard-partial"}, "applies to listen only"},
      {{"info", "file.bin"}, "unexpected argument"},
      {{"info", "--window"}, "--window applies to render and listen only"},
      {{"listen", "--window=yes"}, "--window takes no value"},
      {{"listen", "--line", "100"}, "--line"},
      {{"listen", "--baud", "9601"}, "--baud"},
      {{"listen", "--stop-bits", "3"}, "--stop-bits"},
      {{"listen", "--tcp", "70000"}, "--tcp"},
      {{"listen", "--tcp", ":80"}, "--tcp"},
      {{"listen", "--idle-eject", "0"}, "--idle-eject"},
      {{"listen", "--idle-eject", "nan"}, "--idle-eject"},
  };
  for (const auto& [args, expected] : cases) {
    const ParseResult r = parse_command_line(args);
    EXPECT_NE(r.error.find(expected), std::string::npos)
        << (args.empty() ? "(none)" : args.back()) << " gave: " << r.error;
  }
}

// Whatever a settings file holds, what the command line says wins, and what
// is printed follows the output options alone.
TEST(Options, TheCommandLineWinsOverAnySettingsFile) {
  Settings hostile;
  hostile.printertype = 1;
  hostile.printerenable = 0;
  hostile.lyn = 42;
  hostile.baudrate = 14;
  hostile.bytesize = 0;
  hostile.parity = 2;
  hostile.stopbits = 2;
  hostile.flowctrl = 2;
  hostile.font_height = -99;
  std::strcpy(hostile.font_name, "Hostile Face");
  Settings disabled;
  disabled.printerenable = 5;
  const std::vector<std::vector<std::string>> command_lines = {
      {"render", "--pdf", "x.pdf"},
      {"render", "--print"},
      {"render", "--png", "dir"},
      {"render"},
      {"render", "--pdf", "x.pdf", "--emulation", "dot-matrix", "--font", "Liberation Mono", "--font-height", "24"},
      {"info", "--emulation", "plotter"},
      {"listen", "--line", "3", "--baud", "9600", "--data-bits", "8", "--parity", "none", "--stop-bits", "1",
       "--flow", "none", "--print=office"},
  };
  for (const auto& args : command_lines) {
    const ParseResult parsed = parse_command_line(args);
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    const CliOptions& o = parsed.options;
    for (const Settings& file : {Settings{}, hostile, disabled}) {
      SCOPED_TRACE(args.size() > 1 ? args[1] : args[0]);
      Settings s = file;
      apply_options(o, s);
      EXPECT_EQ(s.printerenable, o.pdf_path || o.print ? 1 : 0);
      EXPECT_EQ(s.printertype, o.emulation.value_or(file.printertype));
      EXPECT_EQ(s.lyn, o.line.value_or(file.lyn));
      EXPECT_EQ(s.font_height, o.font_height ? -*o.font_height : file.font_height);
      EXPECT_STREQ(s.font_name, o.font_name ? o.font_name->c_str() : file.font_name);
      const PortOptions& p = o.port_options;
      EXPECT_EQ(s.baudrate, p.baudrate.value_or(file.baudrate));
      EXPECT_EQ(s.bytesize, p.bytesize.value_or(file.bytesize));
      EXPECT_EQ(s.parity, p.parity.value_or(file.parity));
      EXPECT_EQ(s.stopbits, p.stopbits.value_or(file.stopbits));
      EXPECT_EQ(s.flowctrl, p.flowctrl.value_or(file.flowctrl));
    }
  }
}

}  // namespace
}  // namespace morvane::cli
