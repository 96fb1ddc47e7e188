#include "TariffBook.h"

#include "storage/DateTimeValue.h"
#include "storage/Decimal.h"
#include "storage/TextForms.h"
#include "storage/Weekdays.h"

#include <cmath>

void TariffBook::SetTable(const TariffTable* table) {
    table_ = table;
    readAt_.reset();
    if (!table_)
        return;
    try {
        Read();
    } catch (const Failure&) {
        // Told at the first lookup.
    }
}

void TariffBook::Read() {
    // The mark is taken first: a change while reading is read again next time.
    const TariffTable::Mark mark = table_->Now();
    if (readAt_ == mark)
        return; // nothing written since the last read
    readAt_.reset();
    // All of them or none: the periods are never matched against another read's holidays. A
    // row written wrong is left out (told at every lookup until mended), the rest count.
    QStringList setAside;
    auto rows = table_->ReadAll(&setAside);
    auto holidays = table_->ReadHolidays(&setAside);
    const Billing billing = table_->ReadBilling(&setAside);
    const TrafficTerms traffic = table_->ReadTrafficTerms(&setAside);
    lastRead_ = std::move(rows);
    holidays_ = std::move(holidays);
    billing_ = billing;
    traffic_ = traffic;
    setAside_ = setAside.join(QLatin1Char('\n'));
    readAt_ = mark;
}

QString TariffBook::LookupRate() {
    if (!table_)
        return QStringLiteral("0");
    const LocalMoment now = clock_.Now();
    try {
        Read();
    } catch (const Failure& failure) {
        throw RateLookupFailure(failure.message(),
                                LookupRate(lastRead_, holidays_, now.date, now.msecs));
    }
    if (!setAside_.isEmpty())
        throw RateLookupFailure(setAside_, LookupRate(lastRead_, holidays_, now.date, now.msecs));
    return LookupRate(lastRead_, holidays_, now.date, now.msecs);
}

int TariffBook::DayOf(const QDate& date, const std::vector<Holiday>& holidays) {
    if (!date.isValid())
        return 0;
    for (const Holiday& h : holidays)
        if (h.date == date)
            return h.asDay;
    return date.dayOfWeek();
}

const TariffRow* TariffBook::RowInForce(const std::vector<TariffRow>& rows,
                                        const std::vector<Holiday>& holidays, const QDate& date,
                                        int msecs) {
    const int day = DayOf(date, holidays);
    for (const TariffRow& row : rows) {
        const TariffPeriod& p = row.period;
        if (!p.wrN || !p.wrK || !p.cost || !std::isfinite(*p.cost))
            continue;
        if (!p.days.isEmpty() && !Weekdays::Contains(p.days, day))
            continue;
        // period          [--------]
        // across midnight ---]   [---   (start later than end; both ends on the same day)
        const bool inside = *p.wrN <= *p.wrK ? *p.wrN <= msecs && msecs <= *p.wrK
                                             : msecs >= *p.wrN || msecs <= *p.wrK;
        if (inside)
            return &row;
    }
    return nullptr;
}

QString TariffBook::LookupRate(const std::vector<TariffRow>& rows,
                               const std::vector<Holiday>& holidays, const QDate& date, int msecs) {
    const TariffRow* row = RowInForce(rows, holidays, date, msecs);
    return row ? TextForms::NumberText(*row->period.cost) : QStringLiteral("0");
}

QString TariffBook::LookupRate(const std::vector<TariffRow>& rows, int msecs) {
    return LookupRate(rows, {}, QDate(), msecs);
}

double TariffBook::SessionDuration(const QDate& startDate, double startTime, const QDate& endDate,
                                   double endTime) {
    if (endDate == startDate)
        return endTime - startTime;
    const double lastSecond = DateTimeValue::FromMsecs(86'399'000); // "23:59:59"
    const double oneSecond = DateTimeValue::FromMsecs(1000);        // "0:00:01"
    return (lastSecond - startTime + endTime) + oneSecond;
}

namespace {
QString Charge(qint64 h, int m, int s, const QString& rate) {
    const long double r = TextForms::ParseNumber(rate);

    const QString ph = TextForms::NumberText(r * h);
    const QString pm = TextForms::NumberText(r * m / 60);
    const QString ps = TextForms::NumberText(r * s / 3600);
    const long double sum =
        (TextForms::ParseNumber(ph) + TextForms::ParseNumber(pm)) + TextForms::ParseNumber(ps);
    return TextForms::NumberText(sum);
}
} // namespace

QString TariffBook::SessionCharge(double duration, const QString& rate) {
    const QString t = TextForms::TimeText(duration);
    // 7 characters when the hours are one digit (9:05:07), 8 when two (13:00:00).
    const bool twoDigitHours = t[1] != QLatin1Char(':');
    const int h = TextForms::ParseInteger(twoDigitHours ? t.mid(0, 2) : t.mid(0, 1));
    const int m = TextForms::ParseInteger(twoDigitHours ? t.mid(3, 2) : t.mid(2, 2));
    const int s = TextForms::ParseInteger(twoDigitHours ? t.mid(6, 2) : t.mid(5, 2));
    return Charge(h, m, s, rate);
}

QString TariffBook::ChargeOfSeconds(qint64 seconds, const QString& rate) {
    return Charge(seconds / 3600, int(seconds / 60 % 60), int(seconds % 60), rate);
}

qint64 TariffBook::SecondsOf(const QString& timeText) {
    const QStringList parts = timeText.split(QLatin1Char(':'));
    if (parts.size() != 3)
        throw Failure(QStringLiteral("'%1' is not a valid time").arg(timeText));
    return (qint64(TextForms::ParseInteger(parts[0])) * 60 + TextForms::ParseInteger(parts[1])) *
               60 +
           TextForms::ParseInteger(parts[2]);
}

SessionRecord TariffBook::RecordOf(const Segment& s) {
    const double start = DateTimeValue::FromMsecs(s.startMsecs);
    const double end = DateTimeValue::FromMsecs(s.endMsecs);
    const double duration = SessionDuration(s.startDate, start, s.endDate, end);
    SessionRecord record{s.startDate,
                         TextForms::TimeText(start),
                         TextForms::TimeText(end),
                         TextForms::TimeText(duration),
                         s.rate,
                         SessionCharge(duration, s.rate)};
    const Billing& b = s.billing;
    const qint64 seconds = SecondsOf(record.duration);
    if (s.last && b.unit > 1) {
        // The connection's time rounded up to whole steps; what is added is charged at the
        // last segment's rate, with its own time. Itogo stays the real time.
        const qint64 total = s.before.seconds + seconds;
        const qint64 billed = (total + b.unit - 1) / b.unit * b.unit;
        if (billed > total)
            record.charge = ChargeOfSeconds(seconds + billed - total, s.rate);
    }
    // Amounts are added only where there is something to add: with the default terms every
    // charge stays the very text of the time at its rate. They are added in decimal and
    // rounded once, so the connection's stored charges come to its minimum exactly.
    Decimal charge = Decimal::Of(record.charge);
    bool added = false;
    record.traffic = s.traffic;
    if (s.traffic && !s.trafficTerms.PricesNothing()) {
        const Decimal bytes =
            TrafficCharge(s.trafficTerms, s.periodUsedBefore, s.traffic->rx + s.traffic->tx);
        if (!bytes.IsZero()) {
            charge = charge + bytes;
            added = true;
        }
    }
    if (s.before.records == 0 && b.fee > 0) {
        charge = charge + Decimal::Of(TextForms::NumberText(b.fee));
        added = true;
    }
    if (s.last && b.minimum > 0) {
        const Decimal minimum = Decimal::Of(TextForms::NumberText(b.minimum));
        const Decimal before = Decimal::Of(s.before.charges);
        if (before + charge < minimum) {
            charge = minimum - before;
            added = true;
        }
    }
    if (added)
        record.charge = charge.NumberText();
    return record;
}

ConnectionSoFar TariffBook::With(const ConnectionSoFar& soFar, const SessionRecord& record) {
    // The exact sum of the stored texts: the minimum is made up from what was stored.
    return {soFar.seconds + SecondsOf(record.duration),
            (Decimal::Of(soFar.charges) + Decimal::Of(record.charge)).ExactText(),
            soFar.records + 1};
}
