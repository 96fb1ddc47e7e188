#include "ReportTotals.h"

#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <cmath>
#include <optional>

DurationPieces SplitDuration(QByteArrayView duration) {
    qsizetype begin = 0;
    qsizetype end = duration.size();
    while (begin < end && quint8(duration[begin]) <= ' ')
        ++begin;
    while (end > begin && quint8(duration[end - 1]) <= ' ')
        --end;
    const QByteArrayView t = duration.sliced(begin, end - begin);
    const qsizetype first = t.indexOf(':');
    if (first < 0)
        return {t, {}, {}};
    const qsizetype second = t.indexOf(':', first + 1);
    if (second < 0)
        return {t.first(first), t.sliced(first + 1), {}};
    QByteArrayView seconds = t.sliced(second + 1);
    seconds = seconds.first(std::min<qsizetype>(seconds.size(), 3));
    if (const qsizetype further = seconds.indexOf(':'); further >= 0)
        seconds = seconds.first(further);
    return {t.first(first), t.sliced(first + 1, second - first - 1), seconds};
}

void ReportTotals::AddCharge(QByteArrayView charge) {
    const auto value = TextForms::TryParseNumber(charge);
    if (!value) // the message names the text as it stands
        TextForms::ParseNumber(QString::fromUtf8(charge));
    // Neumaier's step: the low part lost by each addition is kept apart and added back at
    // the end, so the error does not grow with the number of records.
    const long double sum = money_ + *value;
    if (std::fabs(money_) >= std::fabs(*value))
        moneyCarry_ += (money_ - sum) + *value;
    else
        moneyCarry_ += (*value - sum) + money_;
    money_ = sum;
}

void ReportTotals::AddDuration(QByteArrayView duration) {
    const DurationPieces pieces = SplitDuration(duration);
    auto read = [](QByteArrayView piece) -> qint64 {
        if (const auto value = TextForms::TryParseInteger(piece))
            return *value;
        return TextForms::ParseInteger(QString::fromUtf8(piece)); // throws, naming the piece
    };
    hours_ += read(pieces.hours);
    minutes_ += read(pieces.minutes);
    seconds_ += read(pieces.seconds);
}

QString ReportTotals::MoneyText() const { return TextForms::NumberText(Money()); }

QString ReportTotals::TimeValueText() const {
    const qint64 minutes = minutes_ + seconds_ / 60;
    const qint64 hours = hours_ + minutes / 60;
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes % 60).arg(seconds_ % 60);
}

QString ReportTotals::TimeText() const {
    return QStringLiteral("Общ. время работы - ") + TimeValueText();
}

ReportTotals ReportTotals::Of(const SessionTable& table, const SessionRange& range) {
    ReportTotals totals;
    std::optional<Failure> badCharge;
    std::optional<Failure> badDuration;
    table.ForEachChargeIn(range, [&](QByteArrayView charge, QByteArrayView duration) {
        if (!badCharge) {
            try {
                totals.AddCharge(charge);
            } catch (const Failure& failure) {
                badCharge = failure;
            }
        }
        if (!badDuration) {
            try {
                totals.AddDuration(duration);
            } catch (const Failure& failure) {
                badDuration = failure;
            }
        }
    });
    if (badCharge)
        throw *badCharge;
    if (badDuration)
        throw *badDuration;
    return totals;
}
