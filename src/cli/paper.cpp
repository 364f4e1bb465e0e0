// The paper the options ask for, checked, and the paper the system uses when
// the command line names none.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "cli/backend.h"

#ifdef MORVANE_HAVE_LIBPAPER
#include <paper.h>
#endif

namespace morvane::cli {

bool paper_caps(Paper paper, int dpi, int offset, DeviceCaps& caps) {
  if (dpi <= 0 || offset < 0) return false;
  const auto d = static_cast<std::uint32_t>(dpi);
  const auto off = static_cast<std::uint32_t>(offset);
  if (off > widest_offset(paper, d)) return false;
  caps = own_printer_caps(paper, d, off);
  return true;
}

PaperChoice paper_by_name(const std::string& name) {
  std::string n = name;
  std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return std::tolower(c); });
  if (n == "a4") return {Paper::a4, true};
  if (n == "letter") return {Paper::letter, true};
  // The ISO series (A3, A5, B5, C5 ...) are at home where A4 is; the
  // others (legal, executive, tabloid ...) where Letter is.
  const bool iso = n.size() >= 2 && (n[0] == 'a' || n[0] == 'b' || n[0] == 'c') &&
                   std::all_of(n.begin() + 1, n.end(), [](unsigned char c) { return std::isdigit(c); });
  return {iso ? Paper::a4 : Paper::letter, false};
}

std::string system_paper_name() {
#ifdef MORVANE_HAVE_LIBPAPER
  // libpaper's convention: $PAPERSIZE, else the file $PAPERCONF or
  // /etc/papersize, else its built-in default.
  paperinit();
  std::string name;
  if (char* chosen = systempapername()) {
    name = chosen;
    std::free(chosen);
  } else if (const char* fallback = defaultpapername()) {
    name = fallback;
  }
  paperdone();
  return name;
#else
  return {};
#endif
}

}  // namespace morvane::cli
