#pragma once
// The three text forms the program writes into its tables and reads back:
// time text (9:05:07), date text (07.12.2026) and number text (30,1666666666667),
// in the Russian regional forms, independent of the machine's locale.

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <optional>

namespace TextForms {

// Hours without a leading zero, two-digit minutes and seconds. The value is rounded to
// whole milliseconds, whole days are dropped, then the milliseconds are truncated.
QString TimeText(double days);

// dd.MM.yyyy with leading zeros.
QString DateText(const QDate& date);

// At most 15 significant digits, comma as decimal separator, no trailing zeros; fixed
// notation from 0.0001 up to below 1e15, scientific (5E-5, 1E15) outside it.
QString NumberText(long double value);

// Reads a number text back: blanks around it allowed, comma as decimal separator,
// optional sign and exponent. Throws Failure "'%s' is not a valid floating point value".
long double ParseNumber(const QString& text);
std::optional<long double> TryParseNumber(const QString& text);
std::optional<long double> TryParseNumber(QByteArrayView utf8); // the same, on UTF-8 bytes

// Reads a decimal integer with optional sign, or a hexadecimal one written with "$",
// "x", "X", "0x" or "0X". Leading blanks are skipped. Throws Failure
// "'%s' is not a valid integer value".
int ParseInteger(const QString& text);
std::optional<int> TryParseInteger(const QString& text);
std::optional<int> TryParseInteger(QByteArrayView utf8);

// Removes leading and trailing blanks and control characters (codes up to 32).
QString TrimBlanks(const QString& text);

// Reads a time of day "H:M[:S[.zzz]]" (24-hour) into milliseconds since midnight.
// Throws Failure "'%s' is not a valid time".
int ParseTime(const QString& text);
std::optional<int> TryParseTime(const QString& text);

} // namespace TextForms
