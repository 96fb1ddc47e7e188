#include "TerminationSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};

void Forward(int signal) {
    const char byte = char(signal);
    // Only async-signal-safe work here: the event loop reads the byte.
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
}
} // namespace

void OnTerminationRequest(std::function<void()> handler) {
    if (pipeEnds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    auto* notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [handler = std::move(handler)] {
                         char byte;
                         [[maybe_unused]] const auto got = ::read(pipeEnds[0], &byte, 1);
                         handler();
                     });
    struct sigaction action {};
    action.sa_handler = Forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
