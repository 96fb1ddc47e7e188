// The new-tariff dialog's check and conversion on any three texts; the billing dialog's on
// any step choice and three texts and on any price and package, and the days of a period on
// any text.
#include "storage/Failure.h"
#include "storage/Weekdays.h"
#include "tariffs/TariffInputCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(QChar(0));
    const QString start = parts.value(0), end = parts.value(1), cost = parts.value(2);
    if (!CheckTariffInput(start, end, cost)) {
        try {
            const TariffPeriod p = TariffFromInput(start, end, cost);
            if (*p.wrN < 0 || *p.wrN >= 86'400'000 || *p.wrK < 0 || *p.wrK >= 86'400'000 ||
                *p.cost < 0)
                __builtin_trap(); // a period that passed is a real one
        } catch (const Failure&) {
        }
    }
    const auto billing = BillingFromInput(StepChoice(size % 3), start, end, cost);
    if (billing && !billing->IsSound())
        __builtin_trap(); // terms that passed are terms the file accepts
    if (const auto traffic = TrafficFromInput(start, end)) {
        if (!TariffTable::AreSound(*traffic) ||
            TrafficFromInput(PriceInputText(traffic->pricePerMebibyte),
                             QString::number(traffic->packageMebibytes)) != traffic)
            __builtin_trap(); // stored as they passed, and shown again as they read
    }
    if (const auto days = Weekdays::Normal(start)) {
        if (days->size() > 6 || Weekdays::Normal(*days) != days)
            __builtin_trap(); // normal days are at most six digits, and stay as they are
        (void)Weekdays::ShortText(*days);
    }
    return 0;
}
