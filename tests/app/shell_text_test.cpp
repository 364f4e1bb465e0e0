#include "app/shell_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>
#include <utility>

#include "menu_ids.h"

namespace morvane {
namespace {

TEST(TitleText, SerialLineAndPortForms) {
  EXPECT_EQ(title_text("Morvane", 0, "", 1, false), "Morvane - Lyn1 Printer: Disabled");
  EXPECT_EQ(title_text("Morvane", 0, "", 42, true), "Morvane - Lyn42 Printer: Enabled");
  EXPECT_EQ(title_text("Morvane", 1, "com1-9600-n-8-1", 1, true),
            "Morvane - com1-9600-n-8-1 Printer: Enabled");
  // A port in use shows its description, not the line number.
  EXPECT_EQ(title_text("Morvane", 3, "com3-300-e-7-2", 9, false),
            "Morvane - com3-300-e-7-2 Printer: Disabled");
}

TEST(TitleText, CutLikeAFixedBuffer) {
  const std::string long_title(400, 'x');
  EXPECT_EQ(title_text(long_title, 0, "", 1, true).size(), 255u);
}

TEST(ToolbarCommand, EveryButtonHasItsMenuCommand) {
  const std::map<int, int> expected = {
      {2000, 40009}, {2001, 40012}, {2002, 40013}, {2003, 40015}, {2004, 40006},
      {2005, 40007}, {2006, 40016}, {2007, 40017}, {2008, 40018}, {2009, 40019}};
  for (const auto& [button, command] : expected) EXPECT_EQ(toolbar_command(button), command);
  EXPECT_EQ(toolbar_command(1999), 0);
  EXPECT_EQ(toolbar_command(2010), 0);
  EXPECT_EQ(toolbar_command(40009), 0);  // menu ids are no buttons
}

TEST(HelpFilePath, BackslashOnlyWhenMissing) {
  EXPECT_EQ(help_file_path("C:\\work"), "C:\\work\\morvane.hlp");
  EXPECT_EQ(help_file_path("C:\\"), "C:\\morvane.hlp");
}

template <std::size_t N>
const MenuMark& mark(const std::array<MenuMark, N>& marks, int id) {
  for (const MenuMark& m : marks)
    if (m.id == id) return m;
  static const MenuMark none{0, false, false, false, false};
  ADD_FAILURE() << "no mark for " << id;
  return none;
}

TEST(MenuMarks, ChecksFollowTheFlags) {
  constexpr ViewMode fit = ViewMode::fit_to_window, original = ViewMode::original_size;
  constexpr Emulation dots = Emulation::dot_matrix, plotter = Emulation::plotter;
  const auto a = menu_marks(original, dots, true, false, 0x840000);
  EXPECT_TRUE(mark(a, IDM_ORIGINAL_SIZE).checked);
  EXPECT_FALSE(mark(a, IDM_FIT_TO_WINDOW).checked);
  EXPECT_TRUE(mark(a, IDM_BROTHER).checked);
  EXPECT_FALSE(mark(a, IDM_SONY).checked);
  EXPECT_TRUE(mark(a, IDM_ENABLE_PRINTER).checked);
  EXPECT_FALSE(mark(a, IDM_CLOSE_AFTER_PAGE).checked);
  EXPECT_TRUE(mark(a, IDM_PEN_BLUE).checked);
  EXPECT_FALSE(mark(a, IDM_PEN_BLACK).checked);

  const auto b = menu_marks(fit, plotter, false, true, 0x80);
  EXPECT_TRUE(mark(b, IDM_FIT_TO_WINDOW).checked);
  EXPECT_TRUE(mark(b, IDM_SONY).checked);
  EXPECT_FALSE(mark(b, IDM_ENABLE_PRINTER).checked);
  EXPECT_TRUE(mark(b, IDM_CLOSE_AFTER_PAGE).checked);
  EXPECT_TRUE(mark(b, IDM_PEN_RED).checked);
  // An emulation other than the two checks neither item; a colour of no
  // pen checks no pen.
  const auto c = menu_marks(fit, static_cast<Emulation>(2), true, true, 0x123456);
  EXPECT_FALSE(mark(c, IDM_BROTHER).checked);
  EXPECT_FALSE(mark(c, IDM_SONY).checked);
  for (int id : {IDM_PEN_BLACK, IDM_PEN_BLUE, IDM_PEN_GREEN, IDM_PEN_RED})
    EXPECT_FALSE(mark(c, id).checked);
}

// A hand-edited "printerview" is the fitted view everywhere: the menu then
// marks "Fit to window", as it marks the mode the sheet is shown in.
TEST(ViewModeOfSetting, AnythingButOriginalSizeIsFitToWindow) {
  const std::pair<std::int32_t, ViewMode> cases[] = {{1, ViewMode::original_size},
                                                      {0, ViewMode::fit_to_window},
                                                      {2, ViewMode::fit_to_window},
                                                      {-1, ViewMode::fit_to_window},
                                                      {7, ViewMode::fit_to_window}};
  for (const auto& [setting, mode] : cases) {
    EXPECT_EQ(view_mode_of_setting(setting), mode) << setting;
    // Saved as it is read back: a hand-edited value becomes 0.
    EXPECT_EQ(setting_of_view_mode(mode), setting == 1 ? 1 : 0) << setting;
    const auto marks = menu_marks(view_mode_of_setting(setting), Emulation::dot_matrix, true, true, 0);
    EXPECT_EQ(mark(marks, IDM_FIT_TO_WINDOW).checked, mode == ViewMode::fit_to_window) << setting;
    EXPECT_EQ(mark(marks, IDM_ORIGINAL_SIZE).checked, mode == ViewMode::original_size) << setting;
  }
}

TEST(MenuMarks, PrintActionsNeedThePrinterPensNeedThePlotter) {
  const auto off = menu_marks(ViewMode::fit_to_window, Emulation::dot_matrix, false, true, 0);
  EXPECT_FALSE(mark(off, IDM_PRINT_PAGE_NOW).enabled);
  EXPECT_FALSE(mark(off, IDM_CLOSE_DOCUMENT_NOW).enabled);
  EXPECT_FALSE(mark(off, IDM_PEN_GREEN).enabled);
  const auto on = menu_marks(ViewMode::fit_to_window, Emulation::plotter, true, true, 0);
  EXPECT_TRUE(mark(on, IDM_PRINT_PAGE_NOW).enabled);
  EXPECT_TRUE(mark(on, IDM_CLOSE_DOCUMENT_NOW).enabled);
  EXPECT_TRUE(mark(on, IDM_PEN_GREEN).enabled);
  // The print actions are never check-marked, the view items never grayed.
  EXPECT_FALSE(mark(on, IDM_PRINT_PAGE_NOW).sets_check);
  EXPECT_FALSE(mark(on, IDM_FIT_TO_WINDOW).sets_enable);
  EXPECT_TRUE(mark(on, IDM_PEN_RED).sets_check && mark(on, IDM_PEN_RED).sets_enable);
}

// While a page is printed the commands that cannot act then are grayed,
// whatever the flags; viewing, the page-end setting and help stay available.
TEST(MenuMarks, WhilePrintingTheCommandsThatCannotActAreGrayed) {
  const int blocked[] = {IDM_BROTHER,          IDM_SONY,           IDM_ENABLE_PRINTER,
                         IDM_PRINT_PAGE_NOW,   IDM_CLOSE_DOCUMENT_NOW, IDM_CLEAR_PAGE,
                         IDM_CONNECTION_SETUP, IDM_PAGE_SETUP,     IDM_PRINTER_SETUP,
                         IDM_PEN_BLACK,        IDM_PEN_BLUE,       IDM_PEN_GREEN,
                         IDM_PEN_RED};
  for (const bool printing : {false, true}) {
    // Printer on, plotter emulation: idle, every one of them can act.
    const auto marks =
        menu_marks(ViewMode::original_size, Emulation::plotter, true, false, 0x8000, printing);
    for (const int id : blocked) {
      EXPECT_TRUE(mark(marks, id).sets_enable) << id;
      EXPECT_EQ(mark(marks, id).enabled, !printing) << id << (printing ? " printing" : " idle");
    }
    for (const MenuMark& m : marks) {
      const bool is_blocked = std::find(std::begin(blocked), std::end(blocked), m.id) != std::end(blocked);
      EXPECT_TRUE(is_blocked || !m.sets_enable || m.enabled) << m.id;
    }
    // The marks still tell the state.
    EXPECT_TRUE(mark(marks, IDM_SONY).checked);
    EXPECT_TRUE(mark(marks, IDM_ENABLE_PRINTER).checked);
    EXPECT_TRUE(mark(marks, IDM_PEN_GREEN).checked);
  }
}

}  // namespace
}  // namespace morvane
