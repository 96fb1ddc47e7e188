#pragma once
// The local date and time of day, to the millisecond. Tests set their own by hand.

#include <QDate>

struct LocalMoment {
    QDate date;
    int msecs = 0; // since midnight

    bool operator==(const LocalMoment&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalMoment Now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalMoment Now() const override;
};
