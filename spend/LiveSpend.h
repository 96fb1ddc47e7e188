#pragma once
// The spending of the period as it stands this moment: the stored records' totals plus
// the connection being timed, charged so far at its rate.

#include "SpendFigures.h"

#include <QDate>
#include <QString>
#include <optional>

struct OpenCharge {
    qint64 seconds = 0;
    double money = 0;
};

// The open segment's time and charge from its start to now (none when nothing is open, or
// the rate is no number).
std::optional<OpenCharge> OpenSoFar(const QDate& startDate, int startMsecs, const QString& rate,
                                    const QDate& today, int nowMsecs);

// The stored totals with the open segment's share added; its bytes, when counted, count the
// traffic as counted.
SpendTotal WithOpen(SpendTotal total, const std::optional<OpenCharge>& open,
                    const std::optional<Traffic>& openTraffic = std::nullopt);

// The tray icon's tip: its fixed first line, the connection while there is one, and the
// period's money and time with the budget used and the forecast, and while the traffic is
// counted, the period's traffic with its budget and what is left of the package.
QString TrayTip(const std::optional<OpenCharge>& open, const SpendFigures& period);
