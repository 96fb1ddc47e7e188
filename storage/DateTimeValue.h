#pragma once
// Times of day and durations as fractions of a day (one second is 1/86400), the way the
// stored texts and the charge rules think of them.

#include <QDate>

namespace DateTimeValue {

constexpr qint64 MsecsPerDay = 86'400'000;

inline double FromMsecs(qint64 msecs) {
    return double(msecs) / double(MsecsPerDay);
}

// Whole milliseconds of a day value, rounded to nearest, ties to even.
qint64 ToMsecs(double days);

} // namespace DateTimeValue
