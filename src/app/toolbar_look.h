// The toolbar's table and how each button looks, apart from the window
// system: the ten buttons with their places, tooltips and icons, and the look
// code that decides which icon is drawn and whether the frame is raised,
// sunken or left out.
#pragma once

#include <array>
#include <cstdint>

#include "layout/page_state.h"

namespace morvane {

// Draw-request values as the platform passes them (ODA_*, ODS_FOCUS).
inline constexpr std::uint32_t kDrawEntire = 1;
inline constexpr std::uint32_t kDrawSelect = 2;
inline constexpr std::uint32_t kDrawFocus = 4;
inline constexpr std::uint32_t kStateFocus = 0x10;

// Look codes: bits 0-1 the icon slot, 0x08 the icon greyed, 0x10 pressed,
// 0x20 in bits 4-7 flat.
inline constexpr std::uint32_t kLookSlotMask = 3;
inline constexpr std::uint32_t kLookDimmed = 0x08;
inline constexpr std::uint32_t kLookPressed = 0x10;
inline constexpr std::uint32_t kLookFlat = 0x22;

enum class LookKind { none, printer, print_action, emulation, pen };

struct LookRule {
  LookKind kind = LookKind::none;
  std::uint32_t value = 0;  // the emulation, or the pen colour
};

// What the look functions read from the program's state.
struct LookState {
  std::int32_t printer_enabled = 1;
  Emulation emulation = Emulation::dot_matrix;
  std::uint32_t pen_color = 0;  // the screen page's
  bool busy = false;            // a page is being printed: no button can act
};

// One button: its control and command id, window text, place and tooltip,
// the icon resources of its three slots (0: none) and its look.
struct ToolbarEntry {
  std::int32_t id;
  const char* label;
  std::int32_t x;
  const char* tooltip;
  std::array<int, 3> icons;
  LookRule look;
};

inline constexpr int kButtonSize = 30;
inline constexpr std::uint32_t kToolbarStyle = 0x5400000B;  // child, visible, clip siblings, owner draw
inline constexpr int kSplashPicture = 115;

inline constexpr std::array<ToolbarEntry, 10> kToolbarEntries{{
    {2000, "Enpr", 30, "Enable/disable printer", {125, 126, 0}, {LookKind::printer, 0}},
    {2001, "Ppnw", 60, "Print page now", {121, 121, 130}, {LookKind::print_action, 0}},
    {2002, "Cdnw", 90, "Close document now", {122, 122, 131}, {LookKind::print_action, 0}},
    {2003, "ClrP", 120, "Clear page", {116, 116, 0}, {LookKind::none, 0}},
    {2004, "Brth", 154, "Brother emulation", {123, 123, 0}, {LookKind::emulation, 0}},
    {2005, "Sony", 184, "Sony emulation", {124, 124, 0}, {LookKind::emulation, 1}},
    {2006, "Blck", 218, "Black plotter pen", {117, 117, 129}, {LookKind::pen, 0x000000}},
    {2007, "Blue", 248, "Blue plotter pen", {118, 118, 129}, {LookKind::pen, 0x840000}},
    {2008, "Grn", 278, "Green plotter pen", {119, 119, 129}, {LookKind::pen, 0x008000}},
    {2009, "Red", 308, "Red plotter pen", {120, 120, 129}, {LookKind::pen, 0x000080}},
}};

// The icons in the order they are loaded.
inline constexpr std::array<int, 14> kToolbarIconOrder{126, 125, 121, 122, 116, 123, 124,
                                                       117, 118, 119, 120, 129, 130, 131};

// The look code of a draw request (action, state) for a button with this
// rule. A focus change (or any action other than a selection) draws like
// a full redraw. While a page is printed every button is flat with its icon
// greyed, unless it already shows its grey "not available" icon.
std::uint32_t look_code(const LookRule& rule, std::uint32_t action, std::uint32_t state,
                        const LookState& now);

// Whether the button is a live window: the print actions need the printer,
// the pens the plotter emulation, and none acts while a page is printed.
bool button_enabled(const LookRule& rule, const LookState& now);

}  // namespace morvane
