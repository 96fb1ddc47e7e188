#include "ReportTotals.h"

#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <optional>

namespace {
QString Trimmed(const QString& text) {
    int begin = 0;
    int end = int(text.size());
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

DurationPieces SplitDuration(const QString& itogo) {
    const QString t = Trimmed(itogo);
    const int first = int(t.indexOf(QLatin1Char(':')));
    if (first < 0)
        return {t, {}, {}};
    const int second = int(t.indexOf(QLatin1Char(':'), first + 1));
    if (second < 0)
        return {t.left(first), t.mid(first + 1), {}};
    QString seconds = t.mid(second + 1, 3);
    const int further = int(seconds.indexOf(QLatin1Char(':')));
    if (further >= 0)
        seconds.truncate(further);
    return {t.left(first), t.mid(first + 1, second - first - 1), seconds};
}

void ReportTotals::AddCharge(const QString& summ) {
    // Read in extended precision, kept in 64-bit floating point.
    money_ = double(static_cast<long double>(money_) + TextForms::ParseNumber(summ));
}

void ReportTotals::AddDuration(const QString& itogo) {
    const DurationPieces pieces = SplitDuration(itogo);
    hours_ += TextForms::ParseInteger(pieces.hours);
    minutes_ += TextForms::ParseInteger(pieces.minutes);
    seconds_ += TextForms::ParseInteger(pieces.seconds);
}

QString ReportTotals::MoneyText() const { return TextForms::NumberText(money_); }

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
    table.ForEachIn(range, [&](const SessionRow& row) {
        if (!badCharge) {
            try {
                totals.AddCharge(row.record.summ);
            } catch (const Failure& failure) {
                badCharge = failure;
            }
        }
        if (!badDuration) {
            try {
                totals.AddDuration(row.record.itogo);
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
