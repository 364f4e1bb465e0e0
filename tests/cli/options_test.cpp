#include "cli/options.h"

#include <gtest/gtest.h>

#include <functional>

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
      {{"render"}, [](const CliOptions& o) { return o.plotter_face == PlotterFace::truetype; }},
      {{"render", "--plotter-face", "strokes", "--face", "dots"},
       [](const CliOptions& o) { return o.plotter_face == PlotterFace::strokes && o.face == Face::dots; }},
      {{"listen", "--plotter-face=strokes", "--plotter-face=truetype"},
       [](const CliOptions& o) { return o.plotter_face == PlotterFace::truetype; }},
      {{"render", "--print=office"}, [](const CliOptions& o) { return o.print && o.print_queue == "office"; }},
      {{"info", "--paper", "a4", "--dpi", "300", "--offset", "0"},
       [](const CliOptions& o) { return o.paper == Paper::a4 && o.dpi == 300 && o.offset == 0; }},
      {{"info", "--emulation", "plotter", "--font", "Courier New", "--font-height", "12"},
       [](const CliOptions& o) { return *o.emulation == 1 && *o.font_name == "Courier New" && *o.font_height == 12; }},
      {{"listen", "--tcp", "9100"},
       [](const CliOptions& o) { return o.tcp->host == "127.0.0.1" && o.tcp->port == 9100; }},
      {{"listen", "--tcp=0.0.0.0:9100"}, [](const CliOptions& o) { return o.tcp->host == "0.0.0.0"; }},
      {{"listen", "--tcp", "[::1]:9100"},
       [](const CliOptions& o) { return o.tcp->host == "::1" && o.tcp->port == 9100; }},
      {{"listen", "--tcp", "[fe80::1%eth0]:0"}, [](const CliOptions& o) { return o.tcp->host == "fe80::1%eth0"; }},
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
      {{"render", "--plotter-face", "dots"},
       "invalid value 'dots' for --plotter-face (expected truetype or strokes)"},
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
      {{"listen", "--tcp", "::1:9100"}, "IPv6 HOST in brackets"},
      {{"listen", "--tcp", "[::1]"}, "--tcp"},
      {{"listen", "--tcp", "[::1]9100"}, "--tcp"},
      {{"listen", "--tcp", "[]:9100"}, "--tcp"},
      {{"listen", "--tcp", "[::1]:"}, "--tcp"},
      {{"listen", "--idle-eject", "0"}, "--idle-eject"},
      {{"listen", "--idle-eject", "nan"}, "--idle-eject"},
  };
  for (const auto& [args, expected] : cases) {
    const ParseResult r = parse_command_line(args);
    EXPECT_NE(r.error.find(expected), std::string::npos)
        << (args.empty() ? "(none)" : args.back()) << " gave: " << r.error;
  }
}

}  // namespace
}  // namespace morvane::cli
