#pragma once
// The figures of a range of days: what was spent, the budget and how much of it is used,
// and the forecast to the range's end. Shared by the tray's tip, the statistics window
// and the summary for scripts.

#include "BillingPeriod.h"
#include "Budget.h"
#include "storage/DayTotals.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

// The connection being timed, as its last checkpoint has it: since when, and its time and
// charge so far, which the figures' total already counts, and its bytes.
struct ConnectedShare {
    QDateTime since;
    qint64 seconds = 0;
    double money = 0;
    std::optional<Traffic> traffic = {}; // its bytes, while they are counted
};

struct SpendFigures {
    BillingPeriod range;
    SpendTotal total;
    std::optional<ConnectedShare> connected;
    std::optional<double> budgetMoney; // only for a billing period, when set
    std::optional<double> budgetHours;
    std::optional<double> moneyUsedPercent;
    std::optional<double> timeUsedPercent;
    double forecastMoney = 0;
    qint64 forecastSeconds = 0;
    // Only while the traffic is counted (total.trafficCounted), for a billing period.
    std::optional<double> budgetMebibytes;
    std::optional<double> trafficUsedPercent;
    std::optional<quint64> packageLeft; // bytes, when the tariff includes a package

    // The range's days; the budget and the package count when the range is one of its
    // billing periods.
    static SpendFigures Of(const SpendTotal& total, const BillingPeriod& range,
                           const Budget& budget, const QDate& today,
                           const TrafficTerms& terms = {});
    // Bytes received and sent together, in mebibytes.
    double Mebibytes() const;
};

// "312,5", and the program's time text with the hours not reduced: "5:03:20", "26:00:07".
QString MoneyText(long double money);
QString TimeText(qint64 seconds);
// A money amount as the program's own texts show it: "10 445,50 ₽", two decimals by
// default, the thousands and the sign held to the number by no-break spaces.
QString RublesText(double money, int decimals = 2);
// Traffic in mebibytes, as operators count a megabyte: "1 234,5 МБ", "0,25 МБ".
QString MebibytesText(double mebibytes);
QString MebibytesOf(quint64 bytes); // the same of a count of bytes
// The range of two dates with a dash: "15.12.2026 – 14.01.2027".
QString DatesText(const QDate& first, const QDate& last);

// One JSON object for status bars: from, to, records, seconds, time, money (a number, its
// exact text as money_text), budget_money, budget_used_percent, forecast_money, the same for
// time, connected: the open connection's share, or null, and rx_bytes, tx_bytes,
// package_left_bytes and traffic_budget_used (percent), null while the traffic is not counted.
QJsonObject SummaryJson(const SpendFigures& figures);
// Lines for a terminal.
QString SummaryText(const SpendFigures& figures);
