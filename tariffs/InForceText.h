#pragma once
// The tariff window's line about the price in force at a moment:
// "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00)".

#include "storage/TariffTable.h"

#include <QDate>
#include <QString>
#include <vector>

QString InForceText(const std::vector<TariffRow>& rows, const std::vector<Holiday>& holidays,
                    const QDate& date, int msecs);

// A time of day as the line shows it: 8:00, or 8:00:30 when it has seconds.
QString ShortTime(int msecs);
