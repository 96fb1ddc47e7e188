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

namespace {
// The common form of a charge, "[-]digits[,digits]" with at most 19 digits in all, read in
// one pass without allocating. Both the digits as an integer and the power of ten are exact
// in long double, so their one correctly rounded quotient is the value the general reader
// gives. Anything else (blanks, an exponent, more digits, no number at all): none.
std::optional<long double> PlainDecimal(QByteArrayView text) {
    static constexpr long double Powers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                             1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                             1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    quint64 digits = 0;
    int count = 0;
    int decimals = 0;
    bool comma = false;
    for (; p != end; ++p) {
        const unsigned d = unsigned(quint8(*p)) - '0';
        if (d < 10) {
            digits = digits * 10 + d;
            ++count;
            decimals += comma;
        } else if (*p == ',' && !comma) {
            comma = true;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0 || count > 19)
        return std::nullopt;
    const long double value = (long double)digits / Powers[decimals];
    return negative ? -value : value;
}
} // namespace

void ReportTotals::AddCharge(QByteArrayView charge) {
    auto value = PlainDecimal(charge);
    if (!value)
        value = TextForms::TryParseNumber(charge);
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

QString ReportTotals::MoneyText() const {
    return TextForms::NumberText(Money());
}

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

std::optional<Traffic> ReportTotals::TrafficOf(const SessionTable& table,
                                               const SessionRange& range) {
    constexpr int Step = 1024;
    std::optional<Traffic> total;
    for (auto rows = table.RowsIn(range, 0, Step); !rows.empty();
         rows = table.RowsBelow(range, rows.back().id, Step)) {
        for (const SessionRow& row : rows)
            if (row.record.traffic) {
                if (!total)
                    total.emplace();
                *total += *row.record.traffic;
            }
        if (rows.size() < std::size_t(Step))
            break;
    }
    return total;
}
