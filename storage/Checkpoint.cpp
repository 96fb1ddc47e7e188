#include "Checkpoint.h"

#include "DateTimeValue.h"
#include "Decimal.h"
#include "TextForms.h"

#include <climits>
#include <cmath>
#include <limits>

namespace Checkpoint {

namespace {
qint64 Absolute(const QDate& date, qint64 msecs) {
    return date.toJulianDay() * DateTimeValue::MsecsPerDay + msecs;
}

std::optional<qint64> Integer(const QVariant& v, qint64 low, qint64 high) {
    if (v.typeId() != QMetaType::LongLong)
        return std::nullopt;
    const qint64 n = v.toLongLong();
    return n >= low && n <= high ? std::optional<qint64>(n) : std::nullopt;
}

std::optional<double> Real(const QVariant& v) {
    if (v.typeId() != QMetaType::Double && v.typeId() != QMetaType::LongLong)
        return std::nullopt;
    const double d = v.toDouble();
    return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

QDate Date(const QVariant& v) {
    return v.typeId() == QMetaType::QString ? QDate::fromString(v.toString(), Qt::ISODate)
                                            : QDate();
}

// A number text as NumberText writes it, of a size the tariff file takes for a price.
bool IsRate(const QVariant& v) {
    if (v.typeId() != QMetaType::QString)
        return false;
    const QString text = v.toString();
    const auto value = TextForms::TryParseNumber(text);
    return value && TextForms::NumberText(*value) == text && std::fabs(*value) < 1e15L;
}
} // namespace

std::optional<OpenSegment> Read(const QVariantList& row, const QDate& today, int nowMsecs) {
    if (row.size() != Columns)
        return std::nullopt;
    const QDate startDate = Date(row[0]);
    const QDate lastDate = Date(row[2]);
    const auto startTime = Integer(row[1], 0, DateTimeValue::MsecsPerDay - 1);
    const auto lastTime = Integer(row[3], 0, DateTimeValue::MsecsPerDay - 1);
    const auto seconds = Integer(row[5], 0, std::numeric_limits<qint64>::max());
    const auto charges =
        row[6].typeId() == QMetaType::QString ? Decimal::Parse(row[6].toString()) : std::nullopt;
    const auto records = Integer(row[7], 0, INT_MAX);
    const auto unit = Integer(row[8], Billing::MinUnit, Billing::MaxUnit);
    const auto fee = Real(row[9]);
    const auto minimum = Real(row[10]);
    if (!startDate.isValid() || !lastDate.isValid() || !startTime || !lastTime || !IsRate(row[4]) ||
        !seconds || !charges || !records || !unit || !fee || !minimum)
        return std::nullopt;
    const Billing billing{int(*unit), *fee, *minimum};
    if (!billing.IsSound())
        return std::nullopt;
    const qint64 start = Absolute(startDate, *startTime);
    const qint64 last = Absolute(lastDate, *lastTime);
    if (start > last || last > Absolute(today, nowMsecs) || startDate < lastDate.addDays(-1))
        return std::nullopt;
    return OpenSegment{
        startDate,      int(*startTime),   lastDate,
        int(*lastTime), row[4].toString(), {*seconds, row[6].toString(), int(*records)},
        billing};
}

} // namespace Checkpoint
