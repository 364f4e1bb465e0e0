// Operations that initialise, reset and synchronise the two pages.
#pragma once

#include "gfx/surface.h"
#include "page/page_state.h"

namespace morvane {

struct Engine;

// Print styles back to normal; the live tab stops become the page's snapshot.
void reset_style(Engine& e, PageState& page);
void reset_plotter(PageState& page);

// Measures a printer into the printer page and the printer metrics. `tm` are
// the metrics of the current font on the printer. Requires non-zero dpi.
void init_printer_page(Engine& e, const DeviceCaps& caps, const TextMetrics& tm);

// Makes the screen page from the printer page; `tm` are the current font's
// metrics on the sheet.
void derive_screen_page(Engine& e, const TextMetrics& tm);

// At every page end: the screen page's styles, font and plotter state go over
// to the printer page; positions stay each page's own.
void sync_printer_page(Engine& e);

// Print position to the top-left of the page's printable area.
void home_page(PageState& page);

// Puts the page's print position at the start of line n, in its own line
// height and margins.
void move_to_line(PageState& page, std::uint32_t n);

// The page font as the settings give it (the fixed fields as the main window
// sets them), made the printer page's font, the current font and the font
// pages are measured with.
FontDesc base_font(std::int32_t height, std::int32_t weight, std::int32_t italic, const char* face);
void set_printer_font(Engine& e, const FontDesc& font);

}  // namespace morvane
