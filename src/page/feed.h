// The feed loop: where every received byte enters the page engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/surface.h"
#include "layout/page_state.h"

namespace morvane {

struct Engine;

// Feeds a run of bytes into the screen page. Returns false, feeding nothing,
// while a page is being printed: the caller keeps the bytes (they stay queued
// at their channel).
bool feed_screen(Engine& e, const std::uint8_t* bytes, std::size_t count);

// The clear-page request: the sheet is cleared, both pages go to their top,
// and the page in progress is dropped without printing (the next byte starts
// a new spool file). False, doing nothing, while a page is being printed.
bool clear_page_request(Engine& e);

// The feed loop of the printer page, as the print replay runs it.
void feed_printer_page(Engine& e, const std::uint8_t* bytes, std::size_t count);

// Paints the empty sheet with the screen page's margin frame.
void clear_page(Engine& e, Surface& sheet);

// Redraws the view from the sheet, creating the sheet first when needed.
void repaint_page(Engine& e);

// Makes sure the sheet exists; true when it was created by this call (then
// it is cleared and both pages are homed).
bool ensure_page_bitmap(Engine& e);

}  // namespace morvane
