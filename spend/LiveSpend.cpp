#include "LiveSpend.h"

#include "storage/TextForms.h"

#include <cmath>

std::optional<OpenCharge> OpenSoFar(const QDate& startDate, int startMsecs, const QString& rate,
                                    const QDate& today, int nowMsecs) {
    const auto perHour = TextForms::TryParseNumber(rate);
    if (!startDate.isValid() || !perHour)
        return std::nullopt;
    const qint64 msecs = startDate.daysTo(today) * 86'400'000LL + nowMsecs - startMsecs;
    if (msecs < 0)
        return std::nullopt; // the clock was set back: the tracker ends the segment
    OpenCharge open;
    open.seconds = msecs / 1000;
    open.money = double(*perHour) * open.seconds / 3600.0;
    return open;
}

SpendTotal WithOpen(SpendTotal total, const std::optional<OpenCharge>& open,
                    const std::optional<Traffic>& openTraffic) {
    if (open) {
        total.seconds += open->seconds;
        total.money += open->money;
    }
    if (openTraffic) {
        total.traffic += *openTraffic;
        total.trafficCounted = true;
    }
    return total;
}

QString TrayTip(const std::optional<OpenCharge>& open, const SpendFigures& f) {
    QStringList lines{QStringLiteral("Учет работы в Интернет")};
    if (open)
        lines << QStringLiteral("Подключение: %1, %2")
                     .arg(TimeText(open->seconds), RublesText(open->money));
    const double money = double(f.total.money);
    QString line = QStringLiteral("За период: %1").arg(RublesText(money));
    if (f.budgetMoney)
        line += QStringLiteral(" из %1 (%2\u00a0%)")
                    .arg(RublesText(*f.budgetMoney))
                    .arg(int(std::floor(*f.moneyUsedPercent)));
    line += QStringLiteral(", прогноз %1").arg(RublesText(f.forecastMoney, 0));
    lines << line;
    QString time = QStringLiteral("Время за период: %1").arg(TimeText(f.total.seconds));
    if (f.budgetHours)
        time += QStringLiteral(" из %1\u00a0ч (%2\u00a0%)")
                    .arg(TextForms::NumberText(*f.budgetHours))
                    .arg(int(std::floor(*f.timeUsedPercent)));
    lines << time;
    if (f.total.trafficCounted) {
        QString traffic = QStringLiteral("Трафик периода: %1").arg(MebibytesText(f.Mebibytes()));
        if (f.budgetMebibytes)
            traffic += QStringLiteral(" из %1 (%2\u00a0%)")
                           .arg(MebibytesText(*f.budgetMebibytes))
                           .arg(int(std::floor(*f.trafficUsedPercent)));
        if (f.packageLeft)
            traffic += QStringLiteral(", пакет: осталось %1").arg(MebibytesOf(*f.packageLeft));
        lines << traffic;
    }
    return lines.join(QLatin1Char('\n'));
}
