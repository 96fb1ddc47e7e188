#include "Budget.h"

#include "BillingPeriod.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace {
const QString StartDayKey = QStringLiteral("Period/StartDay");
const QString MoneyKey = QStringLiteral("Budget/Money");
const QString TimeKey = QStringLiteral("Budget/Time");
const QString AlertsKey = QStringLiteral("Budget/Alerts");
const QString TrafficKey = QStringLiteral("Budget/Traffic");

// QSettings reads an unquoted "80,100" as a list: put it back together.
QString TextOf(const QVariant& value) {
    return value.toStringList().join(QLatin1Char(','));
}

QString Number(double value) {
    return QString::number(value, 'g', 15);
}

bool IsSpace(QChar c) {
    return c.isSpace() || c == QChar(0x202F); // the narrow no-break space too
}

// "5 000" as "5000": a space between a digit and a group of three digits is left out. Read
// without a regular expression, so that a start reading the settings compiles none.
QString WithoutGroupSpaces(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsSpace(text[i]) && i > 0 && text[i - 1].isDigit()) {
            bool three = i + 3 < text.size();
            for (qsizetype k = 1; three && k <= 3; ++k)
                three = text[i + k].isDigit();
            if (three && (i + 4 >= text.size() || !text[i + 4].isDigit()))
                continue;
        }
        out += text[i];
    }
    return out;
}
} // namespace

std::optional<QList<int>> ParseAlerts(const QString& text) {
    QList<int> alerts;
    QString separated = text;
    for (QChar& c : separated)
        if (c == QLatin1Char(';') || IsSpace(c))
            c = QLatin1Char(',');
    const QStringList parts = separated.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool ok = false;
        const int percent = part.toInt(&ok);
        if (!ok || percent < 1 || percent > 1000)
            return std::nullopt;
        alerts << percent;
    }
    std::sort(alerts.begin(), alerts.end());
    alerts.erase(std::unique(alerts.begin(), alerts.end()), alerts.end());
    return alerts;
}

QString AlertsText(const QList<int>& alerts) {
    QStringList parts;
    for (int percent : alerts)
        parts << QString::number(percent);
    return parts.join(QLatin1Char(','));
}

std::optional<double> ParseAmount(const QString& text) {
    QString t = WithoutGroupSpaces(text.trimmed());
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 1e12 ||
        (value > 0 && value < SmallestAmount))
        return std::nullopt;
    return value;
}

double UsedPercent(double used, double budget) {
    if (!(budget > 0) || !(used > 0))
        return 0;
    return std::min(used / budget * 100, MostPercent);
}

BudgetRead ReadBudget(const ProgramSettings& settings) {
    BudgetRead read;
    const QString file = QDir::toNativeSeparators(settings.Path());
    const auto complain = [&](const QString& key, const QString& text, const QString& stands) {
        read.problems << QStringLiteral("В файле настроек «%1» значение %2 = «%3» не понято: "
                                        "действует %4.")
                             .arg(file,
                                  QStringLiteral("[%1] %2").arg(key.section('/', 0, 0),
                                                                key.section('/', 1)),
                                  text, stands);
    };
    if (const QVariant v = settings.Value(StartDayKey); v.isValid()) {
        bool ok = false;
        const int day = TextOf(v).trimmed().toInt(&ok);
        if (ok && day >= BillingPeriod::FirstStartDay && day <= BillingPeriod::LastStartDay)
            read.budget.startDay = day;
        else
            complain(StartDayKey, TextOf(v), QStringLiteral("начало периода 1-го числа"));
    }
    for (const auto& [key, target] :
         {std::pair{MoneyKey, &read.budget.money}, std::pair{TimeKey, &read.budget.hours},
          std::pair{TrafficKey, &read.budget.mebibytes}}) {
        if (const QVariant v = settings.Value(key); v.isValid()) {
            if (const auto amount = ParseAmount(TextOf(v)))
                *target = *amount;
            else
                complain(key, TextOf(v), QStringLiteral("бюджет без ограничения"));
        }
    }
    if (const QVariant v = settings.Value(AlertsKey); v.isValid()) {
        if (const auto alerts = ParseAlerts(TextOf(v)))
            read.budget.alerts = *alerts;
        else
            complain(AlertsKey, TextOf(v), QStringLiteral("80,100"));
    }
    return read;
}

std::optional<QString> SaveBudget(ProgramSettings& settings, const Budget& budget) {
    return settings.Save(
        {{StartDayKey, budget.startDay},
         {MoneyKey, Number(budget.money)},
         {TimeKey, Number(budget.hours)},
         // quoted by QSettings as one text, so it reads back as one
         {AlertsKey, AlertsText(budget.alerts)},
         // only when set, so a file without a traffic budget stays as it was
         {TrafficKey, budget.mebibytes > 0 ? QVariant(Number(budget.mebibytes)) : QVariant()}});
}
