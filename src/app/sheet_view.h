// Showing the sheet in the paper window in the current view mode.
#pragma once

namespace morvane {

struct App;
class GdiSurface;

// Copies the sheet into the paper window (the paint context while painting,
// else the window's own), paints the rest of the client area in the
// background colour and updates the head-position bar.
void show_sheet(App& app, GdiSurface& sheet);

// The same with the sheet as it stands, without entering the engine; only
// the background when there is no sheet yet.
void show_sheet_now(App& app);

}  // namespace morvane
