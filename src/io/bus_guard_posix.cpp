#include "io/bus_guard_posix.h"

#include <setjmp.h>
#include <signal.h>

#include <mutex>

namespace morvane {

namespace {

thread_local sigjmp_buf* t_escape = nullptr;
struct sigaction g_previous {};

// A bus error outside a guarded access is not ours: it goes where it would
// have gone without us, the program's own handler or the default ending.
void pass_on(int signal, siginfo_t* info, void* context) {
  if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
    g_previous.sa_sigaction(signal, info, context);
  } else if ((g_previous.sa_flags & SA_SIGINFO) == 0 && g_previous.sa_handler != SIG_DFL &&
             g_previous.sa_handler != SIG_IGN) {
    g_previous.sa_handler(signal);
  } else {
    ::signal(SIGBUS, SIG_DFL);  // the faulting access runs again and ends the program
  }
}

void on_bus_error(int signal, siginfo_t* info, void* context) {
  if (t_escape != nullptr) siglongjmp(*t_escape, 1);
  pass_on(signal, info, context);
}

void install_handler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = on_bus_error;
    // Not blocked while handled: the jump out then needs no mask restored.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous);
  });
}

}  // namespace

bool run_with_bus_guard(void (*access)(void*), void* context) {
  install_handler();
  sigjmp_buf escape;
  sigjmp_buf* volatile const outer = t_escape;
  if (sigsetjmp(escape, 0) != 0) {
    t_escape = outer;
    return false;
  }
  t_escape = &escape;
  access(context);
  t_escape = outer;
  return true;
}

}  // namespace morvane
