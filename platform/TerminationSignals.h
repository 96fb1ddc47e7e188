#pragma once
// Turns a request from outside to end the program (SIGTERM, SIGINT, SIGHUP) into a call on
// the user-interface thread, so the program closes the ordinary way and writes what it must.

#include <functional>

void OnTerminationRequest(std::function<void()> handler);
