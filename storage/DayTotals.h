#pragma once
// Per-day totals of the session table, kept in data.db beside it (day_total, since version
// 4) by triggers, so every writer (the program, the sqlite3 shell) keeps them in the same
// transaction as the record. The statistics and the summary read a period's few dozen days
// instead of walking a million records.

#include "Sqlite.h"
#include "Traffic.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

struct DayTotal {
    QDate day;
    qint64 records = 0;
    qint64 seconds = 0; // the durations' hours, minutes and seconds, in seconds
    double money = 0;
    // Records whose charge or duration is not in the form the program writes: their
    // share above is not to be trusted, only the report's own reading tells.
    qint64 odd = 0;
    // The bytes of the day's records that have them; none when no record of it has.
    std::optional<Traffic> traffic = {};

    bool operator==(const DayTotal&) const = default;
};

// The totals of several days together; money summed with compensation.
struct SpendTotal {
    qint64 records = 0;
    qint64 seconds = 0;
    long double money = 0;
    qint64 odd = 0;
    Traffic traffic;
    bool trafficCounted = false; // some day of them has bytes
    static SpendTotal Of(const std::vector<DayTotal>& days);
};

namespace DayTotals {

// Whether the kept totals can be trusted: the table and its triggers are there, and they
// count as many records as the table holds.
bool Sound(const SqliteDatabase& db);
// Builds the totals afresh from the records, in one transaction. Throws SqliteError.
void Rebuild(SqliteDatabase& db);

// The days from..to (inclusive) that have records, oldest first: from the kept totals, or,
// with scan, added up from the records themselves. Throws SqliteError.
std::vector<DayTotal> Read(const SqliteDatabase& db, const QDate& from, const QDate& to, bool scan);
// Gives the days their bytes, from a file that keeps the traffic (version 5).
void AddTraffic(const SqliteDatabase& db, const QDate& from, const QDate& to, bool scan,
                std::vector<DayTotal>& days);

// The same from data.db in a data folder, opened for reading only, so it works beside the
// running program and changes nothing: from the kept totals when they can be trusted, else
// from the records. Throws Failure naming the file.
std::vector<DayTotal> ReadFile(const QString& path, const QDate& from, const QDate& to);

} // namespace DayTotals
