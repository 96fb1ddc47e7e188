#pragma once
// How a connection is billed beyond its time at the rates in force: time counted in whole
// steps, a fee per connection and a minimum per connection. The defaults bill to the second
// with neither, exactly as time at the rates alone.

#include <QString>

struct Billing {
    static constexpr int MinUnit = 1;
    static constexpr int MaxUnit = 3600;

    int unit = 1;       // seconds of one step; a connection's time is rounded up to whole steps
    double fee = 0;     // added to the connection's first record
    double minimum = 0; // what a connection costs at least, made up in its last record

    bool operator==(const Billing&) const = default;
    bool IsSound() const;
};

inline bool Billing::IsSound() const {
    // NaN fails every comparison, so it is refused as well.
    return unit >= MinUnit && unit <= MaxUnit && fee >= 0 && minimum >= 0 && fee < 1e15 &&
           minimum < 1e15;
}

// What a connection has stored so far: the sum of its records' durations in whole seconds,
// the exact sum of their charge texts (every digit, in the number text's form; a number
// text kept before reads the same) and how many there are.
struct ConnectionSoFar {
    qint64 seconds = 0;
    QString charges = QStringLiteral("0");
    int records = 0;

    bool operator==(const ConnectionSoFar&) const = default;
};
