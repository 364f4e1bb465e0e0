// Ending a job whose sender stopped part-way through a command.
#pragma once

namespace morvane {

struct Engine;

// At the end of input or after a pause in the data: the active interpreter is
// brought back to idle so that a following form feed really ends the page,
// and the page stays exactly as the bytes that came left it (the rest of a
// bit image is not drawn, an open sequence changes no style). Nothing is
// spooled for it: the print replay gives the command up at the same byte.
// Returns true when a command was given up.
bool abandon_incomplete_command(Engine& e);

}  // namespace morvane
