#include "app/process_setup.h"

#include <signal.h>

namespace {

// A handler rather than SIG_IGN: an ignored signal would stay ignored in the
// programs this one starts, a handler is reset by exec.
void IgnoreSignal(int) {}

void CatchSignal(int number) {
  struct sigaction action = {};
  action.sa_handler = IgnoreSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(number, &action, nullptr);
}

}  // namespace

void PrepareProcess() {
  CatchSignal(SIGXFSZ);
  CatchSignal(SIGPIPE);
}
