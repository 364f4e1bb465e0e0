// How the toolbar's buttons look and which are enabled, and when the splash
// screen closes.
#include "app/toolbar_look.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "app/splash_timing.h"

namespace morvane {
namespace {

const ToolbarEntry& entry(std::int32_t id) {
  for (const ToolbarEntry& e : kToolbarEntries)
    if (e.id == id) return e;
  ADD_FAILURE() << "no button " << id;
  return kToolbarEntries[0];
}

constexpr std::uint32_t kEntire = kDrawEntire;
constexpr std::uint32_t kSelect = kDrawSelect;
constexpr std::uint32_t kPressState = 0x11;  // selected and focused
constexpr std::uint32_t kDefault = 0x20;

struct LookCase {
  const char* what;
  std::int32_t id;
  std::uint32_t action;
  std::uint32_t state;
  LookState now;
  std::uint32_t code;
};

TEST(ToolbarLook, CodesFollowThePrinterEmulationAndPen) {
  const LookState off{0, Emulation::dot_matrix, 0};
  const LookState on{1, Emulation::dot_matrix, 0};
  const LookState sony_blue{1, Emulation::plotter, 0x840000};
  const LookCase cases[] = {
      {"printer off: plug out", 2000, kEntire, kDefault, off, 0x00},
      {"printer on: plug in", 2000, kEntire, kDefault, on, 0x01},
      {"printer pressed", 2000, kSelect, kPressState, on, 0x11},
      {"printer released", 2000, kSelect, kStateFocus, off, 0x00},
      {"print page, printer off", 2001, kEntire, kDefault, off, 0x22},
      {"print page pressed, printer off", 2001, kSelect, kPressState, off, 0x22},
      {"close document, printer off", 2002, kEntire, kDefault, off, 0x22},
      {"print page, printer on", 2001, kEntire, kDefault, on, 0x00},
      {"print page pressed", 2001, kSelect, kPressState, on, 0x10},
      {"print page released", 2001, kSelect, kStateFocus, on, 0x00},
      {"clear page", 2003, kEntire, kDefault, off, 0x00},
      {"clear page pressed", 2003, kSelect, kPressState, off, 0x10},
      {"clear page released", 2003, kSelect, kStateFocus, off, 0x00},
      {"active emulation sunken", 2004, kEntire, kDefault, on, 0x10},
      {"other emulation raised", 2005, kEntire, kDefault, on, 0x00},
      {"other emulation pressed", 2005, kSelect, kPressState, on, 0x10},
      {"active emulation released", 2004, kSelect, kStateFocus, on, 0x00},
      {"focus change draws like a full redraw", 2004, kDrawFocus, kStateFocus, on, 0x10},
      {"pens flat in dot-matrix", 2006, kEntire, kDefault, on, 0x22},
      {"pen pressed in dot-matrix", 2009, kSelect, kPressState, on, 0x22},
      {"current pen sunken", 2007, kEntire, kDefault, sony_blue, 0x10},
      {"other pen raised", 2006, kEntire, kDefault, sony_blue, 0x00},
      {"pen never shows a press", 2008, kSelect, kPressState, sony_blue, 0x00},
      {"red pen current", 2009, kEntire, kDefault, LookState{1, Emulation::plotter, 0x80}, 0x10},
  };
  for (const LookCase& c : cases)
    EXPECT_EQ(look_code(entry(c.id).look, c.action, c.state, c.now), c.code) << c.what;
}

// Every code a button can get picks a slot that holds an icon.
TEST(ToolbarLook, EveryReachableSlotHasAnIcon) {
  const std::uint32_t actions[] = {kDrawEntire, kDrawSelect, kDrawFocus};
  const std::uint32_t states[] = {kDefault, kStateFocus, kPressState};
  for (const ToolbarEntry& e : kToolbarEntries)
    for (const std::int32_t printer : {0, 1})
      for (const Emulation emulation : {Emulation::dot_matrix, Emulation::plotter})
        for (const std::uint32_t action : actions)
          for (const std::uint32_t state : states) {
            const LookState now{printer, emulation, 0x8000};
            const std::uint32_t code = look_code(e.look, action, state, now);
            ASSERT_LT(code & kLookSlotMask, 3u);
            EXPECT_NE(e.icons[code & kLookSlotMask], 0) << e.label << " code " << code;
          }
}

TEST(ToolbarEnabled, PrintActionsNeedThePrinterAndPensThePlotter) {
  for (const std::int32_t printer : {0, 1}) {
    for (const Emulation emulation : {Emulation::dot_matrix, Emulation::plotter}) {
      const LookState now{printer, emulation, 0};
      for (const ToolbarEntry& e : kToolbarEntries) {
        bool want = true;
        if (e.id == 2001 || e.id == 2002) want = printer != 0;
        if (e.id >= 2006 && e.id <= 2009) want = emulation == Emulation::plotter;
        EXPECT_EQ(button_enabled(e.look, now), want) << e.label;
      }
    }
  }
}

// While a page is printed no button acts: each is disabled and drawn flat,
// with its icon greyed unless it already shows its grey icon, never pressed.
TEST(ToolbarLook, WhilePrintingEveryButtonIsFlatAndDisabled) {
  const std::uint32_t actions[] = {kDrawEntire, kDrawSelect, kDrawFocus};
  for (const ToolbarEntry& e : kToolbarEntries)
    for (const std::int32_t printer : {0, 1})
      for (const Emulation emulation : {Emulation::dot_matrix, Emulation::plotter})
        for (const std::uint32_t action : actions) {
          LookState now{printer, emulation, e.look.value};
          const std::uint32_t idle = look_code(e.look, action, kPressState, now);
          now.busy = true;
          const std::uint32_t code = look_code(e.look, action, kPressState, now);
          EXPECT_FALSE(button_enabled(e.look, now)) << e.label;
          EXPECT_EQ(code & 0xF0, kLookFlat & 0xF0) << e.label << " code " << code;
          EXPECT_EQ(code & kLookSlotMask, idle & kLookSlotMask) << e.label;
          EXPECT_NE(e.icons[code & kLookSlotMask], 0) << e.label;
          const bool grey_icon = (idle & 0xF0) == (kLookFlat & 0xF0);
          EXPECT_EQ((code & kLookDimmed) != 0, !grey_icon) << e.label;
        }
}

TEST(ToolbarTable, ThreeGroupsFourPixelsApartRightOfTheBar) {
  for (std::size_t i = 0; i < kToolbarEntries.size(); ++i) {
    EXPECT_GE(kToolbarEntries[i].x, 30);
    if (i == 0) continue;
    const std::int32_t gap = kToolbarEntries[i].x - kToolbarEntries[i - 1].x - kButtonSize;
    const bool group_start = kToolbarEntries[i].id == 2004 || kToolbarEntries[i].id == 2006;
    EXPECT_EQ(gap, group_start ? 4 : 0) << kToolbarEntries[i].label;
  }
}

struct SplashCase {
  std::uint32_t start;
  std::uint32_t now;
  bool expired;
};

TEST(SplashTimeout, ClosesAfterMoreThanThreeSecondsAcrossTheWrap) {
  const SplashCase cases[] = {
      {1000, 1000, false},        {1000, 4000, false},       {1000, 4001, true},
      {0xFFFFFF00u, 0x100, false},  // 512 ms across the wrap
      {0xFFFFF000u, 0x100, true},   // 4352 ms across the wrap
      {0xFFFFFFFFu, 3000, true},    // 3001 ms
      {0xFFFFFFFFu, 2999, false},
  };
  for (const SplashCase& c : cases)
    EXPECT_EQ(splash_expired(c.now, c.start), c.expired) << c.start << " -> " << c.now;
}

}  // namespace
}  // namespace morvane
