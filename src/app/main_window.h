// The main window: creation and destruction, layout, size limits, the input
// poll and the command dispatch.
#pragma once

#include <windows.h>

namespace morvane {

struct App;

inline constexpr const char* kMainClass = "Morvane";

ATOM register_main_class(HINSTANCE instance);

// The settings that live in the engine and the channels are copied in at
// start and back before they are saved.
void apply_settings(App& app);
void collect_settings(App& app);

}  // namespace morvane
