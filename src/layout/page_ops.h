// Operations that initialise, reset and synchronise the two pages.
#pragma once

#include "gfx/surface.h"
#include "layout/page_state.h"

namespace morvane {

// Print styles back to normal; the live tab stops become the page's snapshot.
void reset_style(PageState& page, const TabTable& tabs);
// The plotter sub-record to its reset values; the character size is the
// face's own.
void reset_plotter(PageState& page, PlotterFace face);

// Measures a printer into the printer page and the printer metrics; the
// printer page's styles and plotter state start afresh. `tm` are the page
// font's metrics on the printer. Requires non-zero dpi.
void init_printer_page(PageState& printer, PrinterMetrics& metrics, const TabTable& tabs,
                       const DeviceCaps& caps, const TextMetrics& tm, PlotterFace face);

// Makes the screen page from the printer page; `tm` are the page font's
// metrics on the sheet.
void derive_screen_page(PageState& screen, const PageState& printer, const PrinterMetrics& metrics,
                        const TextMetrics& tm);

// At every page end: the screen page's styles, font and plotter state go over
// to the printer page; positions stay each page's own.
void sync_printer_page(PageState& screen, PageState& printer);

// Print position to the top-left of the page's printable area.
void home_page(PageState& page);

// Print position to the start of line n, in the page's own line height and
// margins.
void move_to_line(PageState& page, std::uint32_t n);

}  // namespace morvane
