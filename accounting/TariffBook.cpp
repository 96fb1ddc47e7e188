#include "TariffBook.h"

#include "storage/DateTimeValue.h"
#include "storage/TextForms.h"

#include <cmath>

QString TariffBook::LookupRate() {
    if (!table_)
        return QStringLiteral("0");
    const int now = clock_.Now().msecs;
    try {
        lastRead_ = table_->ReadAll();
    } catch (const Failure& failure) {
        throw RateLookupFailure(failure.message(), LookupRate(lastRead_, now));
    }
    return LookupRate(lastRead_, now);
}

QString TariffBook::LookupRate(const std::vector<TariffRow>& rows, int msecs) {
    for (const TariffRow& row : rows) {
        const TariffPeriod& p = row.period;
        if (!p.wrN || !p.wrK || !p.cost || !std::isfinite(*p.cost))
            continue;
        // period          [--------]
        // across midnight ---]   [---   (start later than end)
        const bool inside = *p.wrN <= *p.wrK ? *p.wrN <= msecs && msecs <= *p.wrK
                                             : msecs >= *p.wrN || msecs <= *p.wrK;
        if (inside)
            return TextForms::NumberText(*p.cost);
    }
    return QStringLiteral("0");
}

double TariffBook::SessionDuration(const QDate& startDate, double startTime,
                                   const QDate& endDate, double endTime) {
    if (endDate == startDate)
        return endTime - startTime;
    const double lastSecond = DateTimeValue::FromMsecs(86'399'000); // "23:59:59"
    const double oneSecond = DateTimeValue::FromMsecs(1000);        // "0:00:01"
    return (lastSecond - startTime + endTime) + oneSecond;
}

QString TariffBook::SessionCharge(double duration, const QString& rate) {
    const QString t = TextForms::TimeText(duration);
    // 7 characters when the hours are one digit (9:05:07), 8 when two (13:00:00).
    const bool twoDigitHours = t[1] != QLatin1Char(':');
    const int h = TextForms::ParseInteger(twoDigitHours ? t.mid(0, 2) : t.mid(0, 1));
    const int m = TextForms::ParseInteger(twoDigitHours ? t.mid(3, 2) : t.mid(2, 2));
    const int s = TextForms::ParseInteger(twoDigitHours ? t.mid(6, 2) : t.mid(5, 2));
    const long double r = TextForms::ParseNumber(rate);

    const QString ph = TextForms::NumberText(r * h);
    const QString pm = TextForms::NumberText(r * m / 60);
    const QString ps = TextForms::NumberText(r * s / 3600);
    const long double sum =
        (TextForms::ParseNumber(ph) + TextForms::ParseNumber(pm)) + TextForms::ParseNumber(ps);
    return TextForms::NumberText(sum);
}

SessionRecord TariffBook::RecordOf(const Segment& s) {
    const double start = DateTimeValue::FromMsecs(s.startMsecs);
    const double end = DateTimeValue::FromMsecs(s.endMsecs);
    const double duration = SessionDuration(s.startDate, start, s.endDate, end);
    return {s.startDate,
            TextForms::TimeText(start),
            TextForms::TimeText(end),
            TextForms::TimeText(duration),
            s.rate,
            SessionCharge(duration, s.rate)};
}
