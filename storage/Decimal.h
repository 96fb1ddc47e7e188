#pragma once
// Amounts added without binary rounding: a connection's charges, its fee and what it still
// lacks of its minimum. A value is an integer of up to 36 digits times a power of ten, so
// any sum of number texts whose digits lie within 36 places of each other (say 1E15 down to
// 1E-20) is exact; further digits of a smaller addend are rounded away, ties to even.

#include <QString>
#include <compare>
#include <optional>

class Decimal {
public:
    Decimal() = default;

    // Reads a number text or an exact sum text: an optional minus, digits with at most one
    // decimal comma, an optional exponent (E-5). No blanks. None for anything else or an
    // exponent beyond what a number text can hold.
    static std::optional<Decimal> Parse(const QString& text);
    // The same; throws Failure "'%s' is not a valid floating point value".
    static Decimal Of(const QString& text);

    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const;
    // Times a count (of bytes), and divided by 2^k: exact while the product's digits fit in
    // 36, else rounded to 36 digits at each step, ties to even.
    Decimal Times(quint64 factor) const;
    Decimal OverPowerOfTwo(int k) const;
    std::strong_ordering operator<=>(const Decimal& other) const;
    bool operator==(const Decimal& other) const { return (*this <=> other) == 0; }
    bool IsZero() const { return coefficient_ == 0; }

    // Every digit, in the number text's form (100,00555555555555556), for keeping a sum.
    QString ExactText() const;
    // Rounded once to 15 significant digits, ties to even, and written as
    // TextForms::NumberText writes a number.
    QString NumberText() const;

private:
    Decimal(__int128 coefficient, int exponent);
    void Normalize();

    __int128 coefficient_ = 0; // the value is coefficient_ * 10^exponent_
    int exponent_ = 0;
};
