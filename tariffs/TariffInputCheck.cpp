#include "TariffInputCheck.h"

#include "storage/Failure.h"
#include "storage/TextForms.h"

namespace {
// A place past the end of the text reads as a blank.
char16_t At(const QString& text, int index) {
    return index < text.size() ? text[index].unicode() : u' ';
}

bool TimeWrong(const QString& t) { return At(t, 0) > u'2' || At(t, 1) > u'9' || At(t, 3) > u'5'; }

[[noreturn]] void InvalidValue(const char* field) {
    throw Failure(QStringLiteral("Invalid value for field '%1'").arg(QLatin1String(field)));
}
} // namespace

bool CheckTariffInput(const QString& start, const QString& end, const QString& cost) {
    if (TimeWrong(start) || TimeWrong(end))
        return true;
    const int n = int(TextForms::TrimBlanks(cost).size());
    for (int i = 0; i < n; ++i) {
        const char16_t c = cost[i].unicode();
        if (!(c >= u'0' && c <= u'9') && c != u',')
            return true;
    }
    return false;
}

TariffPeriod TariffFromInput(const QString& start, const QString& end, const QString& cost) {
    const auto from = TextForms::TryParseTime(TextForms::TrimBlanks(start));
    if (!from)
        InvalidValue("WrN");
    const auto to = TextForms::TryParseTime(TextForms::TrimBlanks(end));
    if (!to)
        InvalidValue("WrK");
    const auto price = TextForms::TryParseNumber(TextForms::TrimBlanks(cost));
    if (!price)
        InvalidValue("Cost");
    return {*from, *to, double(*price)};
}
