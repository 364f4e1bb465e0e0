// The page geometry as the "Page setup" dialog shows it: one row per value
// field, in the order the dialog fills them. Display only; nothing here
// writes back to the engine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct Engine;

// Value field ids of the "Page setup" dialog.
constexpr int kFieldPaperWidth = 1071;
constexpr int kFieldPaperHeight = 1072;
constexpr int kFieldLinesPerPage = 1073;
constexpr int kFieldCharsPerLine = 1074;
constexpr int kFieldMarginLeft = 1075;
constexpr int kFieldMarginRight = 1076;
constexpr int kFieldMarginTop = 1077;
constexpr int kFieldMarginBottom = 1078;
constexpr int kFieldLineSpacing = 1079;
constexpr int kFieldDpiX = 1080;
constexpr int kFieldDpiY = 1081;
constexpr int kFieldPrinter = 1082;
constexpr int kFieldFontName = 1083;
constexpr int kFieldFontSize = 1084;
constexpr int kFieldCharSpacing = 1085;

constexpr int kPageSetupRowCount = 15;

struct PageSetupRow {
  int id;
  std::string_view label;  // empty for the font size beside the font name
  std::string text;
  std::string_view unit;   // empty where the dialog shows none
};

// Lengths in hundredths of an inch shown in inches: value * 0.01 in single
// precision, "%2.2f".
std::string format_inches(std::uint32_t units);
// Device pixels over dots per inch, divided in single precision like the
// lengths, "%2.2f"; "-" without a resolution (no printer measured), never a
// division by zero.
std::string format_paper_inches(std::uint32_t pixels, std::uint32_t dpi);

// What "Selected printer" shows when no printer is measured and none is named.
inline constexpr const char* kNoPrinterLabel = "no printer";

// The 15 rows from the printer page, the printer metrics, the selected
// printer's device name and the font settings ("name", "height"). Without a
// measured printer the resolutions and the paper size show "-"; the margins,
// spacing and counts show the layout the sheet is made with.
std::vector<PageSetupRow> page_setup_rows(const Engine& e, std::string_view font_name,
                                          std::int32_t font_height);

}  // namespace morvane
