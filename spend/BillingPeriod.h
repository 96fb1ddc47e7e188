#pragma once
// The billing period: a month that begins on a chosen day (1 to 28, so every month has it)
// and ends the day before that day of the next month.

#include <QDate>

struct BillingPeriod {
    static constexpr int FirstStartDay = 1;
    static constexpr int LastStartDay = 28;

    QDate first;
    QDate last; // inclusive

    // The period that holds the day, for periods that begin on startDay (taken into 1..28).
    static BillingPeriod Containing(const QDate& day, int startDay);

    int Days() const { return int(first.daysTo(last)) + 1; }
    bool Contains(const QDate& day) const { return day >= first && day <= last; }
    BillingPeriod Previous() const;
    BillingPeriod Next() const;
    bool operator==(const BillingPeriod&) const = default;
};

// The days of the period up to and including `today` (all of them for a period that is
// over, none for one that has not begun).
int ElapsedDays(const BillingPeriod& period, const QDate& today);

// Spend per elapsed day times the days of the period: what was spent, for a period that is
// over or has not begun.
double Forecast(double spent, const BillingPeriod& period, const QDate& today);
