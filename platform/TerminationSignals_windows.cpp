#include "TerminationSignals.h"

// On Windows the end of the session reaches the program as a window message, which Qt
// turns into its own session-end handling; there is nothing to set up here.
void OnTerminationRequest(std::function<void()>) {}
