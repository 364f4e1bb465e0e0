// How the toolbar's buttons look and which are enabled, and when the splash
// screen closes.
#include "app/toolbar_look.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "app/shell_text.h"
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
  constexpr Emulation kDots = Emulation::dot_matrix;
  const LookState off{0, kDots, kBlackPen};
  const LookState on{1, kDots, kBlackPen};
  const LookState sony_blue{1, Emulation::plotter, kBluePen};
  const LookCase cases[] = {
      {"printer off: plug out", IDB_ENABLE_PRINTER, kEntire, kDefault, off, 0x00},
      {"printer on: plug in", IDB_ENABLE_PRINTER, kEntire, kDefault, on, 0x01},
      {"printer pressed", IDB_ENABLE_PRINTER, kSelect, kPressState, on, 0x11},
      {"printer released", IDB_ENABLE_PRINTER, kSelect, kStateFocus, off, 0x00},
      {"print page, printer off", IDB_PRINT_PAGE_NOW, kEntire, kDefault, off, 0x22},
      {"print page pressed, printer off", IDB_PRINT_PAGE_NOW, kSelect, kPressState, off, 0x22},
      {"close document, printer off", IDB_CLOSE_DOCUMENT_NOW, kEntire, kDefault, off, 0x22},
      {"print page, printer on", IDB_PRINT_PAGE_NOW, kEntire, kDefault, on, 0x00},
      {"print page pressed", IDB_PRINT_PAGE_NOW, kSelect, kPressState, on, 0x10},
      {"print page released", IDB_PRINT_PAGE_NOW, kSelect, kStateFocus, on, 0x00},
      {"clear page", IDB_CLEAR_PAGE, kEntire, kDefault, off, 0x00},
      {"clear page pressed", IDB_CLEAR_PAGE, kSelect, kPressState, off, 0x10},
      {"clear page released", IDB_CLEAR_PAGE, kSelect, kStateFocus, off, 0x00},
      {"active emulation sunken", IDB_BROTHER, kEntire, kDefault, on, 0x10},
      {"other emulation raised", IDB_SONY, kEntire, kDefault, on, 0x00},
      {"other emulation pressed", IDB_SONY, kSelect, kPressState, on, 0x10},
      {"active emulation released", IDB_BROTHER, kSelect, kStateFocus, on, 0x00},
      {"focus change draws like a full redraw", IDB_BROTHER, kDrawFocus, kStateFocus, on, 0x10},
      {"pens flat in dot-matrix", IDB_PEN_BLACK, kEntire, kDefault, on, 0x22},
      {"pen pressed in dot-matrix", IDB_PEN_RED, kSelect, kPressState, on, 0x22},
      {"current pen sunken", IDB_PEN_BLUE, kEntire, kDefault, sony_blue, 0x10},
      {"other pen raised", IDB_PEN_BLACK, kEntire, kDefault, sony_blue, 0x00},
      {"pen never shows a press", IDB_PEN_GREEN, kSelect, kPressState, sony_blue, 0x00},
      {"red pen current", IDB_PEN_RED, kEntire, kDefault, LookState{1, Emulation::plotter, kRedPen}, 0x10},
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
            const LookState now{printer, emulation, kGreenPen};
            const std::uint32_t code = look_code(e.look, action, state, now);
            ASSERT_LT(code & kLookSlotMask, 3u);
            EXPECT_NE(e.icons[code & kLookSlotMask], 0) << e.label << " code " << code;
          }
}

TEST(ToolbarEnabled, PrintActionsNeedThePrinterAndPensThePlotter) {
  for (const std::int32_t printer : {0, 1}) {
    for (const Emulation emulation : {Emulation::dot_matrix, Emulation::plotter}) {
      const LookState now{printer, emulation, kBlackPen};
      for (const ToolbarEntry& e : kToolbarEntries) {
        bool want = true;
        if (e.id == IDB_PRINT_PAGE_NOW || e.id == IDB_CLOSE_DOCUMENT_NOW) want = printer != 0;
        if (e.id >= IDB_PEN_BLACK && e.id <= IDB_PEN_RED) want = emulation == Emulation::plotter;
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
          LookState now{printer, emulation, e.look.pen};
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
    const bool group_start = kToolbarEntries[i].id == IDB_BROTHER || kToolbarEntries[i].id == IDB_PEN_BLACK;
    EXPECT_EQ(gap, group_start ? 4 : 0) << kToolbarEntries[i].label;
  }
}

// A button and the menu item of its command tell the same: the printer's plug
// and a sunken emulation or pen button where the item is checked (unless the
// button is flat), and the button live where the item is enabled, in every
// state of the program.
TEST(ToolbarTable, ButtonsAgreeWithTheirMenuItems) {
  for (const std::int32_t printer : {0, 1})
    for (const Emulation emulation : {Emulation::dot_matrix, Emulation::plotter})
      for (const int pen : {kBlackPen, kBluePen, kGreenPen, kRedPen})
        for (const bool busy : {false, true}) {
          const LookState now{printer, emulation, pen, busy};
          const auto marks = menu_marks(ViewMode::fit_to_window, emulation, printer != 0, false, pen_color(pen), busy);
          for (const ToolbarEntry& e : kToolbarEntries) {
            const auto mark = std::find_if(marks.begin(), marks.end(),
                                           [&](const MenuMark& m) { return m.id == toolbar_command(e.id); });
            ASSERT_NE(mark, marks.end()) << e.label;
            EXPECT_EQ(button_enabled(e.look, now), mark->enabled) << e.label;
            if (!mark->sets_check) continue;
            // The look while idle: a page being printed greys the whole bar alike.
            const std::uint32_t code = look_code(e.look, kDrawEntire, kDefault, LookState{printer, emulation, pen});
            if ((code & 0xF0) == (kLookFlat & 0xF0)) continue;  // a flat button shows no state
            const bool on = e.look.kind == LookKind::printer ? (code & kLookSlotMask) == 1 : (code & kLookPressed) != 0;
            EXPECT_EQ(on, mark->checked) << e.label << " printer " << printer << " pen " << pen;
          }
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
