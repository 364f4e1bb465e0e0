// Ending a job whose sender stopped part-way through a command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

struct Engine;

// The bytes that would carry the active interpreter from its current state
// back to idle without changing the page's styles: zero columns for the rest
// of a bit image, a neutral parameter for an open escape sequence, a byte that
// closes a tab list or a plotter parameter. Empty when the interpreter is idle.
// Only the next step is given; feeding it may open a further one (a bit-image
// count completed with columns still to come).
std::vector<std::uint8_t> idle_completion(const Engine& e);

// Feeds completions into the screen page until both interpreters are idle, so
// that a following form feed really ends the page. The bytes go through the
// feed loop like received data: they are spooled, and the replay of the page
// for printing passes through the same states and ends idle as well. Returns
// the number of bytes fed. A plotter command line in graphic mode is left to
// the form feed, which carries it out and returns to text mode.
std::size_t abandon_incomplete_command(Engine& e);

}  // namespace morvane
