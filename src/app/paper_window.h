// The paper window: the child window that shows the on-screen sheet, with
// the scroll state of the original-size view and its scroll bars.
#pragma once

#include <windows.h>

#include <cstdint>

namespace morvane {

struct App;

inline constexpr const char* kPaperClass = "PaperWindow";
inline constexpr int kVerticalBar = 1;
inline constexpr int kHorizontalBar = 0;

ATOM register_paper_class(HINSTANCE instance);
HWND create_paper_window(App& app, HWND parent, HINSTANCE instance, int x, int y, int width,
                         int height);
void place_paper_window(App& app, HWND main_window, int x, int y);
void update_scroll_bars(App& app);
// bar: kVerticalBar or kHorizontalBar; nothing happens in the fit-to-window view.
void set_scroll_pos(App& app, int bar, std::uint32_t position);
void refresh_view(App& app);

}  // namespace morvane
