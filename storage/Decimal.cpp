#include "Decimal.h"

#include "Failure.h"
#include "TextForms.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {
constexpr int MaxDigits = 36;
// Beyond the exponents of a long double: nothing the program writes comes near.
constexpr int MaxExponent = 6000;

__int128 Power(int n) {
    __int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

int DigitsOf(__int128 v) {
    if (v < 0)
        v = -v;
    int n = 0;
    while (v != 0) {
        v /= 10;
        ++n;
    }
    return n;
}

// v / 10^n, rounded to nearest, ties to even.
__int128 DropDigits(__int128 v, int n) {
    if (n <= 0)
        return v;
    if (n > MaxDigits + 2)
        return 0;
    const __int128 p = Power(n);
    __int128 q = v / p;
    const __int128 r = v % p;
    const __int128 twice = (r < 0 ? -r : r) * 2;
    if (twice > p || (twice == p && q % 2 != 0))
        q += v < 0 ? -1 : 1;
    return q;
}

std::string Digits(__int128 v) {
    if (v < 0)
        v = -v;
    std::string s;
    do {
        s.insert(s.begin(), char('0' + int(v % 10)));
        v /= 10;
    } while (v != 0);
    return s;
}
} // namespace

Decimal::Decimal(__int128 coefficient, int exponent)
    : coefficient_(coefficient), exponent_(exponent) {
    Normalize();
}

void Decimal::Normalize() {
    if (const int extra = DigitsOf(coefficient_) - MaxDigits; extra > 0) {
        coefficient_ = DropDigits(coefficient_, extra);
        exponent_ += extra;
    }
    if (coefficient_ == 0) {
        exponent_ = 0;
        return;
    }
    while (coefficient_ % 10 == 0) {
        coefficient_ /= 10;
        ++exponent_;
    }
}

std::optional<Decimal> Decimal::Parse(const QString& text) {
    int i = 0;
    const int end = int(text.size());
    const bool negative = i < end && text[i] == QLatin1Char('-');
    if (negative)
        ++i;
    __int128 coefficient = 0;
    int exponent = 0;
    int digits = 0;
    int significant = 0;
    bool comma = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(',') && !comma) {
            comma = true;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        ++digits;
        if (significant == 0 && c == QLatin1Char('0')) {
            exponent -= comma;
            continue;
        }
        if (significant < MaxDigits) {
            coefficient = coefficient * 10 + (c.unicode() - '0');
            ++significant;
            exponent -= comma;
        } else {
            exponent += !comma; // further digits are dropped: a text never holds so many
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        ++i;
        const bool below = i < end && text[i] == QLatin1Char('-');
        if (below || (i < end && text[i] == QLatin1Char('+')))
            ++i;
        int power = 0;
        const int first = i;
        for (; i < end && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
            power = power * 10 + (text[i].unicode() - '0');
            if (power > MaxExponent)
                return std::nullopt;
        }
        if (i == first)
            return std::nullopt;
        exponent += below ? -power : power;
    }
    if (i != end)
        return std::nullopt;
    // The range is judged on the kept form: "1230E5998" keeps 123 at 10^5999 and reads, while
    // "10,E6000" would be kept at 10^6001, which its own text could not give back.
    const Decimal value(negative ? -coefficient : coefficient, exponent);
    if (value.exponent_ > MaxExponent || value.exponent_ < -MaxExponent)
        return std::nullopt;
    return value;
}

Decimal Decimal::Of(const QString& text) {
    if (auto value = Parse(text))
        return *value;
    throw Failure(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

Decimal Decimal::operator+(const Decimal& other) const {
    if (other.coefficient_ == 0)
        return *this;
    if (coefficient_ == 0)
        return other;
    const Decimal& high = exponent_ >= other.exponent_ ? *this : other;
    const Decimal& low = exponent_ >= other.exponent_ ? other : *this;
    // The higher one's digits are moved down to the lower one's place, as far as they fit;
    // what does not fit is rounded away from the lower one.
    const int gap = high.exponent_ - low.exponent_;
    const int room = MaxDigits + 1 - DigitsOf(high.coefficient_);
    const int shift = std::min(gap, room);
    const __int128 lowPart = DropDigits(low.coefficient_, gap - shift);
    return Decimal(high.coefficient_ * Power(shift) + lowPart, high.exponent_ - shift);
}

Decimal Decimal::Times(quint64 factor) const {
    // The magnitude in two limbs of 18 digits, each product of a limb and the factor kept
    // below 2^127; the product is high * 10^36 + rest.
    const __int128 limb = Power(18);
    const __int128 magnitude = coefficient_ < 0 ? -coefficient_ : coefficient_;
    const __int128 low = (magnitude % limb) * factor;
    const __int128 upper = (magnitude / limb) * factor + low / limb;
    const __int128 high = upper / limb;
    const __int128 rest = (upper % limb) * limb + low % limb;
    const int sign = coefficient_ < 0 ? -1 : 1;
    if (high == 0)
        return Decimal(sign * rest, exponent_);
    const int extra = DigitsOf(high);
    const __int128 p = Power(extra);
    __int128 q = high * Power(MaxDigits - extra) + rest / p;
    const __int128 twice = rest % p * 2;
    if (twice > p || (twice == p && q % 2 != 0))
        ++q;
    return Decimal(sign * q, exponent_ + extra);
}

Decimal Decimal::OverPowerOfTwo(int k) const {
    // 1 / 2^k = 5^k / 10^k; 5^27 still fits in a count.
    Decimal out = *this;
    for (; k > 0; k -= std::min(k, 27)) {
        quint64 five = 1;
        for (int i = 0; i < std::min(k, 27); ++i)
            five *= 5;
        out = out.Times(five);
        out = Decimal(out.coefficient_, out.exponent_ - std::min(k, 27));
    }
    return out;
}

Decimal Decimal::operator-(const Decimal& other) const {
    return *this + Decimal(-other.coefficient_, other.exponent_);
}

std::strong_ordering Decimal::operator<=>(const Decimal& other) const {
    const __int128 difference = (*this - other).coefficient_;
    return difference <=> __int128(0);
}

QString Decimal::ExactText() const {
    const std::string digits = Digits(coefficient_);
    const int length = int(digits.size());
    QString out = coefficient_ < 0 ? QStringLiteral("-") : QString();
    if (exponent_ >= 0 && exponent_ <= 20) {
        out += QLatin1String(digits.c_str()) + QString(exponent_, QLatin1Char('0'));
    } else if (exponent_ < 0 && -exponent_ <= 40) {
        const int whole = length + exponent_;
        if (whole > 0)
            out += QLatin1String(digits.substr(0, whole).c_str()) + QLatin1Char(',') +
                   QLatin1String(digits.substr(whole).c_str());
        else
            out += QStringLiteral("0,") + QString(-whole, QLatin1Char('0')) +
                   QLatin1String(digits.c_str());
    } else {
        out += QLatin1String(digits.c_str()) + QLatin1Char('E') + QString::number(exponent_);
    }
    return out;
}

QString Decimal::NumberText() const {
    if (coefficient_ == 0)
        return QStringLiteral("0");
    const int extra = DigitsOf(coefficient_) - 15;
    const Decimal rounded(DropDigits(coefficient_, extra), exponent_ + std::max(extra, 0));
    // Fifteen digits read into a long double (64-bit mantissa) and written back at fifteen
    // digits give the same digits: the number text's own writer lays them out.
    const std::string plain = (rounded.coefficient_ < 0 ? "-" : "") + Digits(rounded.coefficient_) +
                              "e" + std::to_string(rounded.exponent_);
    return TextForms::NumberText(std::strtold(plain.c_str(), nullptr));
}
