// Access to a shared mapping that another program may shrink: touching a page
// that is no longer backed raises SIGBUS, which would end the program. Inside
// a guarded access it ends the access instead.
#pragma once

namespace morvane {

// Runs access(context); false when a bus error cut it short. access must
// hold nothing that needs cleaning up (it is left, not returned from).
bool run_with_bus_guard(void (*access)(void*), void* context);

}  // namespace morvane
