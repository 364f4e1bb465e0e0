// What the configuration dialogs keep between their uses.
#pragma once

#include <windows.h>

namespace morvane {

struct DialogState {
  // The one "Serialport status" window, none while it is closed.
  HWND status_window = nullptr;
  // The printer-selection dialog's device-mode and device-names blocks: the
  // next selection opens on the last choice. Freed with the main window.
  HGLOBAL dev_mode = nullptr;
  HGLOBAL dev_names = nullptr;
  // The font chooser runs: a second "Select font" is ignored.
  bool font_chooser_open = false;
};

}  // namespace morvane
