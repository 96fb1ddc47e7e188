// The readers of time, date, number and integer texts, and the writers' round trip.
#include "storage/DateTimeValue.h"
#include "storage/Decimal.h"
#include "storage/TextForms.h"

#include <cmath>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    TextForms::TryParseInteger(text);
    TextForms::TryParseTime(text);
    if (const auto number = TextForms::TryParseNumber(text)) {
        // A number read back from its own text is the same text again.
        const QString written = TextForms::NumberText(*number);
        const auto again = TextForms::TryParseNumber(written);
        if (!again || TextForms::NumberText(*again) != written)
            __builtin_trap();
    }
    if (const auto amount = Decimal::Parse(text)) {
        // A kept sum reads back as the same amount, and its number text as a number.
        const auto again = Decimal::Parse(amount->ExactText());
        if (!again || *again != *amount)
            __builtin_trap();
        const QString rounded = amount->NumberText();
        if (rounded != QLatin1String("INF") && rounded != QLatin1String("-INF") &&
            !TextForms::TryParseNumber(rounded))
            __builtin_trap();
    }
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value) && std::fabs(value) < 1e9) {
            const QString time = TextForms::TimeText(value);
            if (time.size() < 7 || time.size() > 8 || (time[1] != ':' && time[2] != ':'))
                __builtin_trap(); // the charge rules rely on this shape
        }
        TextForms::NumberText(value);
        if (std::isfinite(value) && std::fabs(value) < 1e15)
            TextForms::DateText(QDate::fromJulianDay(qint64(value) % 5'000'000));
    }
    return 0;
}
