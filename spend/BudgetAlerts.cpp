#include "BudgetAlerts.h"

#include "SpendFigures.h"
#include "settings/ProgramSettings.h"
#include "storage/TextForms.h"

#include <algorithm>
#include <cmath>

namespace {
const QString PeriodKey = QStringLiteral("Alerts/Period");
const QString SentKey = QStringLiteral("Alerts/Sent");

QString KindName(BudgetAlert::Kind kind) {
    switch (kind) {
    case BudgetAlert::Kind::Money:
        return QStringLiteral("money");
    case BudgetAlert::Kind::Time:
        return QStringLiteral("time");
    case BudgetAlert::Kind::Traffic:
        return QStringLiteral("traffic");
    }
    return {};
}

QString Mark(BudgetAlert::Kind kind, double budget, int percent) {
    return QStringLiteral("%1 %2 %3").arg(KindName(kind)).arg(budget, 0, 'g', 15).arg(percent);
}
} // namespace

BudgetAlerts::BudgetAlerts(ProgramSettings& settings) : settings_(settings) {
    period_ = QDate::fromString(settings.Value(PeriodKey).toString(), Qt::ISODate);
    for (const QString& mark : settings.Value(SentKey).toStringList().join(',').split(','))
        if (!mark.trimmed().isEmpty())
            sent_.insert(mark.trimmed());
}

std::vector<BudgetAlert> BudgetAlerts::Passed(const BillingPeriod& period, double money,
                                              qint64 seconds, const Budget& budget, quint64 bytes) {
    if (period.first != period_) {
        period_ = period.first;
        sent_.clear();
    }
    std::vector<BudgetAlert> alerts;
    QStringList marks;
    const auto look = [&](BudgetAlert::Kind kind, double limit, double used) {
        if (limit <= 0)
            return;
        std::optional<int> highest;
        for (int percent : budget.alerts) {
            if (used < percent)
                continue;
            const QString mark = Mark(kind, limit, percent);
            if (sent_.contains(mark))
                continue;
            sent_.insert(mark);
            highest = percent;
        }
        if (!highest)
            return;
        const QString dates = DatesText(period.first, period.last);
        const int shown = int(std::floor(used));
        switch (kind) {
        case BudgetAlert::Kind::Money:
            alerts.push_back({kind, *highest, used,
                              QStringLiteral("Бюджет периода: %1\u00a0%").arg(*highest),
                              QStringLiteral("За период %1 израсходовано %2 из %3 (%4\u00a0%).")
                                  .arg(dates, RublesText(money), RublesText(limit))
                                  .arg(shown)});
            break;
        case BudgetAlert::Kind::Time:
            alerts.push_back(
                {kind, *highest, used, QStringLiteral("Время периода: %1\u00a0%").arg(*highest),
                 QStringLiteral("За период %1 в Интернете %2 из %3\u00a0ч (%4\u00a0%).")
                     .arg(dates, TimeText(seconds))
                     .arg(limit)
                     .arg(shown)});
            break;
        case BudgetAlert::Kind::Traffic:
            alerts.push_back(
                {kind, *highest, used, QStringLiteral("Трафик периода: %1\u00a0%").arg(*highest),
                 QStringLiteral("За период %1 принято и передано %2 из %3 (%4\u00a0%).")
                     .arg(dates, MebibytesText(double(bytes) / (1 << 20)), MebibytesText(limit))
                     .arg(shown)});
            break;
        }
    };
    look(BudgetAlert::Kind::Money, budget.money, UsedPercent(money, budget.money));
    look(BudgetAlert::Kind::Time, budget.hours, UsedPercent(seconds / 3600.0, budget.hours));
    look(BudgetAlert::Kind::Traffic, budget.mebibytes,
         UsedPercent(double(bytes) / (1 << 20), budget.mebibytes));
    if (alerts.empty())
        return alerts;
    QStringList all(sent_.begin(), sent_.end());
    std::sort(all.begin(), all.end());
    writeProblem_ = settings_.Save({{PeriodKey, period.first.toString(Qt::ISODate)},
                                    {SentKey, all.join(QStringLiteral(", "))}});
    return alerts;
}
