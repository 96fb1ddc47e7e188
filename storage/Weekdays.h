#pragma once
// The days a tariff period applies on, as kept in tarif.db: ISO weekday digits, 1 for
// Monday to 7 for Sunday ("12345", "67"); empty for every day.

#include <QString>
#include <optional>

namespace Weekdays {

// The digits in order, each once ("" for every day, and for all seven); none when the text
// holds anything else or a digit twice.
std::optional<QString> Normal(const QString& days);

// Whether a period of these (normal) days applies on ISO weekday `day`.
bool Contains(const QString& days, int day);

// As the tariff window shows them: "все", "пн–пт", "сб, вс", "пн, ср–пт".
QString ShortText(const QString& days);

} // namespace Weekdays
