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

QString TrimBlanks(const QString& text) {
    int begin = 0;
    int end = int(text.size());
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool CheckTariffInput(const QString& start, const QString& end, const QString& cost) {
    if (TimeWrong(start) || TimeWrong(end))
        return true;
    const int n = int(TrimBlanks(cost).size());
    for (int i = 0; i < n; ++i) {
        const char16_t c = cost[i].unicode();
        if (!(c >= u'0' && c <= u'9') && c != u',')
            return true;
    }
    return false;
}

TariffPeriod TariffFromInput(const QString& start, const QString& end, const QString& cost) {
    const auto from = TextForms::TryParseTime(TrimBlanks(start));
    if (!from)
        InvalidValue("WrN");
    const auto to = TextForms::TryParseTime(TrimBlanks(end));
    if (!to)
        InvalidValue("WrK");
    const auto price = TextForms::TryParseNumber(TrimBlanks(cost));
    if (!price)
        InvalidValue("Cost");
    return {*from, *to, double(*price)};
}
