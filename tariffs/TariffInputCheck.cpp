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

namespace {
// Digits with at most one decimal comma, trimmed of blanks; empty is none (0).
std::optional<double> Amount(const QString& text) {
    const QString t = TextForms::TrimBlanks(text);
    if (t.isEmpty())
        return 0.0;
    if (t.count(QLatin1Char(',')) > 1 || t.startsWith(QLatin1Char(',')) ||
        t.endsWith(QLatin1Char(',')))
        return std::nullopt;
    for (const QChar c : t)
        if (!c.isDigit() && c != QLatin1Char(','))
            return std::nullopt;
    const auto value = TextForms::TryParseNumber(t);
    if (!value || *value >= 1e15L)
        return std::nullopt;
    return double(*value);
}
} // namespace

std::optional<Billing> BillingFromInput(StepChoice step, const QString& seconds, const QString& fee,
                                        const QString& minimum) {
    Billing billing;
    switch (step) {
    case StepChoice::Second:
        billing.unit = 1;
        break;
    case StepChoice::Minute:
        billing.unit = 60;
        break;
    case StepChoice::Seconds: {
        const QString t = TextForms::TrimBlanks(seconds);
        if (t.isEmpty() || t.size() > 4)
            return std::nullopt;
        for (const QChar c : t)
            if (!c.isDigit())
                return std::nullopt;
        billing.unit = t.toInt();
        break;
    }
    }
    const auto f = Amount(fee);
    const auto m = Amount(minimum);
    if (!f || !m)
        return std::nullopt;
    billing.fee = *f;
    billing.minimum = *m;
    return billing.IsSound() ? std::optional<Billing>(billing) : std::nullopt;
}

StepChoice StepChoiceOf(const Billing& billing) {
    return billing.unit == 1    ? StepChoice::Second
           : billing.unit == 60 ? StepChoice::Minute
                                : StepChoice::Seconds;
}

QString AmountInputText(double amount) {
    return amount == 0 ? QString() : TextForms::NumberText(amount);
}
