#include "BillingPeriod.h"

#include <algorithm>

BillingPeriod BillingPeriod::Containing(const QDate& day, int startDay) {
    startDay = std::clamp(startDay, FirstStartDay, LastStartDay);
    QDate first(day.year(), day.month(), startDay);
    if (day.day() < startDay)
        first = first.addMonths(-1); // the day still belongs to the period begun last month
    return {first, first.addMonths(1).addDays(-1)};
}

BillingPeriod BillingPeriod::Previous() const {
    const QDate start = first.addMonths(-1);
    return {start, first.addDays(-1)};
}

BillingPeriod BillingPeriod::Next() const {
    const QDate start = last.addDays(1);
    return {start, start.addMonths(1).addDays(-1)};
}

int ElapsedDays(const BillingPeriod& period, const QDate& today) {
    if (today < period.first)
        return 0;
    if (today > period.last)
        return period.Days();
    return int(period.first.daysTo(today)) + 1; // today counts, begun as it is
}

double Forecast(double spent, const BillingPeriod& period, const QDate& today) {
    const int elapsed = ElapsedDays(period, today);
    if (elapsed == 0)
        return spent;
    return spent / elapsed * period.Days();
}
