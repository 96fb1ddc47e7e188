#pragma once
// The local date and time of day, to the millisecond. Tests set their own by hand.

#include <QDate>
#include <QElapsedTimer>

struct LocalMoment {
    QDate date;
    int msecs = 0; // since midnight

    bool operator==(const LocalMoment&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalMoment Now() const = 0;
    // Milliseconds of a clock that nobody sets and that stands still while the machine
    // sleeps: what really passed, to tell the wall clock's jumps from time on line.
    virtual qint64 MonotonicMsecs() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    LocalMoment Now() const override;
    qint64 MonotonicMsecs() const override;

private:
    QElapsedTimer monotonic_;
};

// Milliseconds since a fixed day, for differences of local moments.
inline qint64 AbsoluteMsecs(const LocalMoment& m) {
    return m.date.toJulianDay() * 86'400'000LL + m.msecs;
}
