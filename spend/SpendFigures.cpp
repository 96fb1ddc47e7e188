#include "SpendFigures.h"

#include "storage/TextForms.h"

#include <QLocale>
#include <cmath>

namespace {
double Rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}
QJsonValue Optional(const std::optional<double>& value, int decimals) {
    return value ? QJsonValue(Rounded(*value, decimals)) : QJsonValue(QJsonValue::Null);
}
// The amount as a JSON number, the very value its text gives; null when it is no finite one.
QJsonValue Finite(const std::optional<long double>& value) {
    return value && std::isfinite(double(*value)) ? QJsonValue(double(*value))
                                                  : QJsonValue(QJsonValue::Null);
}
} // namespace

SpendFigures SpendFigures::Of(const SpendTotal& total, const BillingPeriod& range,
                              const Budget& budget, const QDate& today, const TrafficTerms& terms) {
    SpendFigures f;
    f.range = range;
    f.total = total;
    const double money = double(total.money);
    f.forecastMoney = Forecast(money, range, today);
    f.forecastSeconds = qint64(std::llround(Forecast(double(total.seconds), range, today)));
    if (BillingPeriod::Containing(range.first, budget.startDay) == range) {
        if (budget.money > 0) {
            f.budgetMoney = budget.money;
            f.moneyUsedPercent = UsedPercent(money, budget.money);
        }
        if (budget.hours > 0) {
            f.budgetHours = budget.hours;
            f.timeUsedPercent = UsedPercent(total.seconds / 3600.0, budget.hours);
        }
        if (total.trafficCounted && budget.mebibytes > 0) {
            f.budgetMebibytes = budget.mebibytes;
            f.trafficUsedPercent = UsedPercent(f.Mebibytes(), budget.mebibytes);
        }
        if (total.trafficCounted && terms.packageMebibytes > 0)
            f.packageLeft = PackageLeft(terms, total.traffic.rx + total.traffic.tx);
    }
    return f;
}

double SpendFigures::Mebibytes() const {
    return double(total.traffic.rx + total.traffic.tx) / double(TrafficTerms::Mebibyte);
}

QString MoneyText(long double money) {
    return TextForms::NumberText(money);
}

QString TimeText(qint64 seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString RublesText(double money, int decimals) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QString text = russian.toString(money, 'f', decimals) + QStringLiteral("\u00a0₽");
    return text.replace(QLatin1Char(' '), QChar(0x00a0)); // whatever the locale groups by
}

QString MebibytesText(double mebibytes) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QString text = russian.toString(mebibytes, 'f', mebibytes < 10 ? 2 : 1);
    return text.replace(QLatin1Char(' '), QChar(0x00a0)) + QStringLiteral("\u00a0МБ");
}

QString MebibytesOf(quint64 bytes) {
    return MebibytesText(double(bytes) / double(TrafficTerms::Mebibyte));
}

QString DatesText(const QDate& first, const QDate& last) {
    return TextForms::DateText(first) + QStringLiteral(" – ") + TextForms::DateText(last);
}

QJsonObject SummaryJson(const SpendFigures& f) {
    QJsonValue connected(QJsonValue::Null);
    if (f.connected)
        connected = QJsonObject{{"since", f.connected->since.toString(Qt::ISODate)},
                                {"seconds", f.connected->seconds},
                                {"time", TimeText(f.connected->seconds)},
                                {"money", Rounded(f.connected->money, 2)}};
    const QString money = MoneyText(f.total.money);
    const auto bytes = [&f](quint64 count) {
        return f.total.trafficCounted ? QJsonValue(double(count)) : QJsonValue(QJsonValue::Null);
    };
    return {{"from", f.range.first.toString(Qt::ISODate)},
            {"to", f.range.last.toString(Qt::ISODate)},
            {"records", f.total.records},
            {"seconds", f.total.seconds},
            {"time", TimeText(f.total.seconds)},
            {"money", Finite(TextForms::TryParseNumber(money))},
            {"money_text", money},
            {"budget_money", Optional(f.budgetMoney, 2)},
            {"budget_used_percent", Optional(f.moneyUsedPercent, 1)},
            {"forecast_money", Rounded(f.forecastMoney, 2)},
            {"budget_hours", Optional(f.budgetHours, 2)},
            {"budget_time_used_percent", Optional(f.timeUsedPercent, 1)},
            {"forecast_seconds", f.forecastSeconds},
            {"connected", connected},
            {"rx_bytes", bytes(f.total.traffic.rx)},
            {"tx_bytes", bytes(f.total.traffic.tx)},
            {"package_left_bytes",
             f.packageLeft ? QJsonValue(double(*f.packageLeft)) : QJsonValue(QJsonValue::Null)},
            {"traffic_budget_used", Optional(f.trafficUsedPercent, 1)}};
}

QString SummaryText(const SpendFigures& f) {
    QString text = QStringLiteral("Период: %1\nЗаписей: %2\nВремя: %3\nСумма: %4\n")
                       .arg(DatesText(f.range.first, f.range.last))
                       .arg(f.total.records)
                       .arg(TimeText(f.total.seconds), MoneyText(f.total.money));
    if (f.connected)
        text += QStringLiteral("Подключение с %1: %2, %3\n")
                    .arg(f.connected->since.toString(QStringLiteral("dd.MM.yyyy H:mm:ss")),
                         TimeText(f.connected->seconds), RublesText(f.connected->money));
    if (f.budgetMoney)
        text += QStringLiteral("Бюджет: %1, использовано %2\u00a0%\n")
                    .arg(RublesText(*f.budgetMoney))
                    .arg(std::floor(*f.moneyUsedPercent));
    if (f.budgetHours)
        text += QStringLiteral("Бюджет времени: %1\u00a0ч, использовано %2\u00a0%\n")
                    .arg(*f.budgetHours)
                    .arg(std::floor(*f.timeUsedPercent));
    if (f.total.trafficCounted)
        text += QStringLiteral("Трафик: %1 (принято %2, передано %3)\n")
                    .arg(MebibytesText(f.Mebibytes()), MebibytesOf(f.total.traffic.rx),
                         MebibytesOf(f.total.traffic.tx));
    if (f.packageLeft)
        text += QStringLiteral("Пакет: осталось %1\n").arg(MebibytesOf(*f.packageLeft));
    if (f.budgetMebibytes)
        text += QStringLiteral("Бюджет трафика: %1, использовано %2\u00a0%\n")
                    .arg(MebibytesText(*f.budgetMebibytes))
                    .arg(std::floor(*f.trafficUsedPercent));
    text += QStringLiteral("Прогноз: %1, %2\n")
                .arg(RublesText(f.forecastMoney), TimeText(f.forecastSeconds));
    return text;
}
