#include "TariffInputCheck.h"

#include "storage/Decimal.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <QRegularExpression>

namespace {
// A place past the end of the text reads as a blank.
char16_t At(const QString& text, int index) {
    return index < text.size() ? text[index].unicode() : u' ';
}

bool TimeWrong(const QString& t) {
    return At(t, 0) > u'2' || At(t, 1) > u'9' || At(t, 3) > u'5';
}

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
// Trimmed of blanks, with the spaces that set thousands apart left out.
QString Ungrouped(const QString& text) {
    QString t = TextForms::TrimBlanks(text);
    static const QRegularExpression groups(
        QStringLiteral("(?<=\\d)[ \u00A0\u202F](?=\\d{3}(\\D|$))"));
    return t.remove(groups);
}

// Digits with at most one decimal comma or point, trimmed of blanks, with the spaces that
// set thousands apart left out; empty is none (0).
std::optional<double> Amount(const QString& text) {
    QString t = Ungrouped(text);
    t.replace(QLatin1Char('.'), QLatin1Char(','));
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
                                        const QString& minimum, QString* wrong) {
    const auto refuse = [wrong](const char* field) -> std::optional<Billing> {
        if (wrong)
            *wrong = QString::fromUtf8(field);
        return std::nullopt;
    };
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
            return refuse("N секунд");
        for (const QChar c : t)
            if (!c.isDigit())
                return refuse("N секунд");
        billing.unit = t.toInt();
        if (billing.unit < Billing::MinUnit || billing.unit > Billing::MaxUnit)
            return refuse("N секунд");
        break;
    }
    }
    const auto f = Amount(fee);
    if (!f)
        return refuse("Плата за подключение");
    const auto m = Amount(minimum);
    if (!m)
        return refuse("Минимум за подключение");
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

std::optional<TrafficTerms> TrafficFromInput(const QString& price, const QString& package,
                                             QString* wrong) {
    const auto refuse = [wrong](const char* field) -> std::optional<TrafficTerms> {
        if (wrong)
            *wrong = QString::fromUtf8(field);
        return std::nullopt;
    };
    const auto p = Amount(price);
    if (!p)
        return refuse("Цена за МБ сверх пакета");
    const QString digits = Ungrouped(package);
    bool digitsOnly = digits.size() <= 20;
    for (const QChar c : digits)
        digitsOnly = digitsOnly && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    bool read = true;
    const quint64 mebibytes = digits.isEmpty() ? 0 : digits.toULongLong(&read);
    if (!digitsOnly || !read || mebibytes > TariffTable::MaxPackageMebibytes)
        return refuse("Пакет на период");
    const TrafficTerms terms{TextForms::NumberText(*p), mebibytes};
    return TariffTable::AreSound(terms) ? std::optional<TrafficTerms>(terms) : std::nullopt;
}

QString PriceInputText(const QString& price) {
    const auto value = Decimal::Parse(price);
    if (!value || value->IsZero())
        return {};
    const QString text = value->ExactText();
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    if (e < 0)
        return text;
    // So small or so large that its exact text takes an exponent, which the field does not
    // read: written out in full.
    const QString digits = text.left(e);
    const int exponent = text.mid(e + 1).toInt();
    if (exponent >= 0)
        return digits + QString(exponent, QLatin1Char('0'));
    const qsizetype whole = digits.size() + exponent;
    return whole > 0 ? digits.left(whole) + QLatin1Char(',') + digits.mid(whole)
                     : QStringLiteral("0,") + QString(-whole, QLatin1Char('0')) + digits;
}
