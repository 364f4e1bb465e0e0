// The toolbar: ten owner-drawn push buttons across the top of the main
// window, each a shortcut for a menu command that shows the state behind it
// (printer on or off, active emulation, current pen). One shared tooltip
// window gives every button a tooltip; the buttons are subclassed to relay
// their mouse messages to it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "app/toolbar_look.h"

namespace morvane {

struct App;

struct ToolbarButton {
  HWND hwnd = nullptr;
  const char* label = "";
  std::int32_t id = 0;
  const char* class_name = "button";
  std::uint32_t style = kToolbarStyle;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = kButtonSize;
  std::int32_t height = kButtonSize;
  const char* tooltip = "";
};

// A button with its three icon slots and its look.
struct ButtonLook {
  ToolbarButton* button = nullptr;
  std::array<HICON, 3> icons{};
  LookRule look;
};

inline constexpr int kMaxControls = 20;

// The subclassed controls: one saved procedure serves all of them, since
// they are all of the class "button".
struct ControlRegistry {
  std::array<ToolbarButton*, kMaxControls> controls{};
  int count = 0;
  WNDPROC saved_procedure = nullptr;
  HWND tooltip = nullptr;
};

struct ToolbarState {
  std::array<ToolbarButton, kToolbarEntries.size()> buttons{};
  std::array<ButtonLook, kToolbarEntries.size()> looks{};
  ControlRegistry registry;
  bool shows_busy = false;  // drawn greyed and disabled while a page prints
};

// Creates the ten buttons in table order.
void create_toolbar(App& app, HWND main_window);
HWND create_toolbar_button(App& app, HWND parent, ToolbarButton& button);
void add_tool_tip(App& app, HWND parent, const ToolbarButton& button);
LRESULT CALLBACK relay_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
void restore_toolbar_procedures(App& app);
void load_toolbar_icons(App& app);
void draw_toolbar_button(App& app, const DRAWITEMSTRUCT* item);
// Redraws the buttons and sets which are enabled after a command changed
// what they show.
void refresh_toolbar(App& app);

}  // namespace morvane
