#include "app/about.h"

#include <windows.h>

#include "app/shell_text.h"
#include "morvane_version.h"

namespace morvane {

std::string about_text() {
  char text[256];
  wsprintfA(text, kAboutFormat, kVersionMajor, kVersionMinor, kVersionLetter, kVersionDate);
  return text;
}

}  // namespace morvane
