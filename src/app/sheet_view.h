// Showing the sheet in the paper window in the current view mode.
#pragma once

namespace morvane {

struct App;

// Copies the sheet as it stands into the paper window (the paint context
// while painting, else the window's own), without entering the engine,
// paints the rest of the client area in the background colour and updates
// the head-position bar; only the background when there is no sheet.
void show_sheet_now(App& app);

}  // namespace morvane
