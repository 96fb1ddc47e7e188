#pragma once
// The tariff window's line about the price in force at a moment:
// "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00)", and what is left of the
// traffic package.

#include "storage/TariffTable.h"
#include "storage/Traffic.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

QString InForceText(const std::vector<TariffRow>& rows, const std::vector<Holiday>& holidays,
                    const QDate& date, int msecs);

// A time of day as the line shows it: 8:00, or 8:00:30 when it has seconds.
QString ShortTime(int msecs);

// What the line adds about the package after `used` bytes of the billing period:
// "; пакет: осталось 1 234,5 МБ из 2 048 МБ"; nothing when no package is set or the bytes
// used are not known.
QString PackageText(const TrafficTerms& terms, std::optional<quint64> used);
