#include "Clock.h"

#include <QDateTime>

LocalMoment SystemClock::Now() const {
    // One reading gives both, so a date and a time of day never straddle midnight.
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date(), now.time().msecsSinceStartOfDay()};
}

SystemClock::SystemClock() {
    monotonic_.start();
}

// QElapsedTimer reads CLOCK_MONOTONIC on Linux, which does not count suspend.
qint64 SystemClock::MonotonicMsecs() const {
    return monotonic_.elapsed();
}
