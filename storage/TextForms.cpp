#include "TextForms.h"

#include "DateTimeValue.h"
#include "Failure.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

qint64 DateTimeValue::ToMsecs(double days) {
    // nearbyint follows the default rounding mode: to nearest, ties to even.
    return qint64(std::nearbyint(days * double(MsecsPerDay)));
}

namespace TextForms {

QString TimeText(double days) {
    const qint64 msecs = std::llabs(DateTimeValue::ToMsecs(days)) % DateTimeValue::MsecsPerDay;
    const qint64 seconds = msecs / 1000; // milliseconds are truncated, not rounded
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString DateText(const QDate& date) {
    return QStringLiteral("%1.%2.%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString NumberText(long double value) {
    if (value == 0)
        return QStringLiteral("0");
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    // Fifteen significant digits, correctly rounded: d.dddddddddddddde±x
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const bool negative = sci[0] == '-';
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (sci[i] != '.')
            digits += sci[i];
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString out;
    if (negative)
        out += QLatin1Char('-');
    const QLatin1String all(digits.data(), qsizetype(digits.size()));
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += QLatin1String("0,");
            out += QString(-exponent - 1, QLatin1Char('0'));
            out += all;
        } else {
            const qsizetype intLen = exponent + 1;
            if (all.size() <= intLen) {
                out += all;
                out += QString(intLen - all.size(), QLatin1Char('0'));
            } else {
                out += all.left(intLen);
                out += QLatin1Char(',');
                out += all.mid(intLen);
            }
        }
    } else {
        out += all.left(1);
        if (all.size() > 1) {
            out += QLatin1Char(',');
            out += all.mid(1);
        }
        out += QLatin1Char('E');
        out += QString::number(exponent);
    }
    return out;
}

namespace {

bool IsBlank(char16_t c) {
    return c <= u' ';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// One character of a text, UTF-16 or UTF-8 alike: the readers below look only at ASCII, and
// the bytes of any other character are neither blanks nor digits.
char16_t At(QStringView text, int i) {
    return text[i].unicode();
}
char16_t At(QByteArrayView text, int i) {
    return char16_t(quint8(text[i]));
}

} // namespace

template <typename Text> std::optional<long double> NumberIn(const Text& text) {
    int i = 0;
    int end = int(text.size());
    while (i < end && IsBlank(At(text, i)))
        ++i;
    while (end > i && IsBlank(At(text, end - 1)))
        --end;
    std::string plain;
    if (i < end && (At(text, i) == u'+' || At(text, i) == u'-')) {
        if (At(text, i) == u'-')
            plain += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (i < end && IsDigit(At(text, i))) {
        plain += char(At(text, i++));
        ++mantissaDigits;
    }
    if (i < end && At(text, i) == u',') {
        plain += '.';
        ++i;
        while (i < end && IsDigit(At(text, i))) {
            plain += char(At(text, i++));
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (At(text, i) == u'e' || At(text, i) == u'E')) {
        plain += 'e';
        ++i;
        if (i < end && (At(text, i) == u'+' || At(text, i) == u'-'))
            plain += char(At(text, i++));
        int expDigits = 0;
        while (i < end && IsDigit(At(text, i))) {
            plain += char(At(text, i++));
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    long double value = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long double> TryParseNumber(const QString& text) {
    return NumberIn(QStringView(text));
}
std::optional<long double> TryParseNumber(QByteArrayView utf8) {
    return NumberIn(utf8);
}

long double ParseNumber(const QString& text) {
    if (auto value = TryParseNumber(text))
        return *value;
    throw Failure(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

template <typename Text> std::optional<int> IntegerIn(const Text& text) {
    int i = 0;
    const int end = int(text.size());
    while (i < end && At(text, i) == u' ')
        ++i;
    bool negative = false;
    if (i < end && (At(text, i) == u'+' || At(text, i) == u'-')) {
        negative = At(text, i) == u'-';
        ++i;
    }
    int base = 10;
    if (i < end && At(text, i) == u'$') {
        base = 16;
        ++i;
    } else if (i < end && (At(text, i) == u'x' || At(text, i) == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < end && At(text, i) == u'0' &&
               (At(text, i + 1) == u'x' || At(text, i + 1) == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == end)
        return std::nullopt;
    quint64 magnitude = 0;
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    for (; i < end; ++i) {
        const char16_t c = At(text, i);
        const int digit = c >= '0' && c <= '9'                 ? c - '0'
                          : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                               : -1;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    // A hexadecimal form fills all 32 bits, so $FFFFFFFF reads as -1.
    const qint64 signedValue = base == 16 ? qint64(qint32(quint32(magnitude))) : qint64(magnitude);
    return int(negative ? -signedValue : signedValue);
}

std::optional<int> TryParseInteger(const QString& text) {
    return IntegerIn(QStringView(text));
}
std::optional<int> TryParseInteger(QByteArrayView utf8) {
    return IntegerIn(utf8);
}

int ParseInteger(const QString& text) {
    if (auto value = TryParseInteger(text))
        return *value;
    throw Failure(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

QString TrimBlanks(const QString& text) {
    int begin = 0;
    int end = int(text.size());
    while (begin < end && IsBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && IsBlank(text[end - 1].unicode()))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<int> TryParseTime(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    const int end = int(t.size());
    auto number = [&](int maxDigits) -> std::optional<int> {
        int value = 0;
        int count = 0;
        while (i < end && IsDigit(t[i].unicode()) && count < maxDigits) {
            value = value * 10 + (t[i++].unicode() - '0');
            ++count;
        }
        return count ? std::optional<int>(value) : std::nullopt;
    };
    const auto h = number(2);
    if (!h || i >= end || t[i] != QLatin1Char(':'))
        return std::nullopt;
    ++i;
    const auto m = number(2);
    if (!m)
        return std::nullopt;
    int s = 0;
    int ms = 0;
    if (i < end && t[i] == QLatin1Char(':')) {
        ++i;
        const auto sec = number(2);
        if (!sec)
            return std::nullopt;
        s = *sec;
        if (i < end && (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(','))) {
            ++i;
            const int start = i;
            const auto frac = number(3);
            if (!frac)
                return std::nullopt;
            ms = *frac * (i - start == 1 ? 100 : i - start == 2 ? 10 : 1);
        }
    }
    if (i != end || *h > 23 || *m > 59 || s > 59)
        return std::nullopt;
    return ((*h * 60 + *m) * 60 + s) * 1000 + ms;
}

int ParseTime(const QString& text) {
    if (auto value = TryParseTime(text))
        return *value;
    throw Failure(QStringLiteral("'%1' is not a valid time").arg(text));
}

} // namespace TextForms
