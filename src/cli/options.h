// The command line of the portable program: a subcommand and its options.
// One table of options (options.cpp) reads them, refuses those the command
// does not take, and lists them in --help; the manual page's list of options
// is checked against it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gfx/dots/dot_layout.h"
#include "io/tcp_server.h"
#include "layout/page_state.h"
#include "print/own_printer.h"

namespace morvane::cli {

enum class Command { render, listen, info, help, version };

// Port settings given on the command line, as indexes into the settings'
// tables ("baudrate", "bytesize", "parity", "stopbits", "flowctrl").
struct PortOptions {
  std::optional<int> baudrate;
  std::optional<int> bytesize;
  std::optional<int> parity;
  std::optional<int> stopbits;
  std::optional<int> flowctrl;
};

struct CliOptions {
  Command command = Command::help;
  std::vector<std::string> files;  // render input; empty or "-" is standard input

  std::optional<Emulation> emulation;
  std::optional<std::string> pdf_path;
  std::optional<std::string> png_dir;
  bool print = false;
  std::string print_queue;  // empty: the system's default queue
  Paper paper = Paper::letter;
  bool paper_given = false;  // false: the system's paper is used (cli/backend.h)
  int dpi = 600;
  int offset = 150;
  Face face = Face::truetype;  // the dot-matrix emulation's text and bit images
  PlotterFace plotter_face = PlotterFace::truetype;  // the plotter's labels and text
  std::optional<std::string> font_name;
  std::optional<int> font_height;  // positive: the character height in page units
  std::optional<std::string> settings_path;
  bool quiet = false;
  bool window = false;  // render, listen: show the sheet live in a window

  // listen
  std::optional<int> line;
  std::optional<std::string> port;
  std::optional<TcpEndpoint> tcp;
  PortOptions port_options;
  double idle_eject_seconds = 0;  // 0: never
  bool discard_partial = false;
};

struct ParseResult {
  CliOptions options;
  std::string error;  // a usage error when not empty
};

ParseResult parse_command_line(const std::vector<std::string>& args);

// The name the program is called by: "morvane"; on Windows "morvane-cli",
// since file names there ignore case and "Morvane.exe" is the desktop program.
const char* program_name();

// The texts of --help and --version.
std::string usage_text();
std::string version_text();

// The options' sections as --help and the manual page list them, each with
// its options' synopses in order ("--dpi N", "--face truetype|dots",
// "--print[=QUEUE]", "-q, --quiet").
struct OptionSection {
  std::string title;
  std::vector<std::string> synopses;
};
std::vector<OptionSection> option_sections();

}  // namespace morvane::cli
