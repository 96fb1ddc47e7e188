#include "QtTimer.h"

QtTimer::QtTimer(int msecs, std::function<void()> handler) {
    timer_.setInterval(msecs);
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, std::move(handler));
}

void QtTimer::Enable() {
    if (!timer_.isActive()) // start() on a running QTimer would restart its interval
        timer_.start();
}
