#pragma once
// The SQL of the per-day totals, shared by the session table's schema and its readers, so
// that the triggers, a rebuild and a scan of the records agree to the bit.

#include <string>

namespace DayTotalsSql {

// The largest charge taken into the totals; one beyond it (2E308, written by hand) counts
// as odd and adds nothing, so a day's sum stays a number that can be shown and taken back.
inline constexpr double MaxMoney = 1e15;

inline std::string RawMoney(const std::string& r) {
    return "CAST(replace(" + r + "Summ, ',', '.') AS REAL)";
}

// A record's share. `r` is the row: "NEW.", "OLD." or "". The program writes durations as
// H:MM:SS and charges as number texts with a decimal comma; anything else counts as odd.
inline std::string Odd(const std::string& r) {
    return "(" + r + "Itogo NOT GLOB '[0-9]*:[0-9][0-9]:[0-9][0-9]' OR " + r +
           "Itogo GLOB '*[^0-9:]*' OR " + r + "Itogo GLOB '*:*:*:*' OR " + r +
           "Summ NOT GLOB '*[0-9]*' OR " + r + "Summ GLOB '*[^0-9,E+-]*' OR " + r +
           "Summ GLOB '*,*,*' OR NOT abs(" + RawMoney(r) + ") <= 1e15)";
}
inline std::string Seconds(const std::string& r) {
    return "(CAST(substr(" + r + "Itogo, 1, length(" + r + "Itogo) - 6) AS INTEGER) * 3600 + " +
           "CAST(substr(" + r + "Itogo, -5, 2) AS INTEGER) * 60 + CAST(substr(" + r +
           "Itogo, -2) AS INTEGER))";
}
inline std::string Money(const std::string& r) {
    return "(CASE WHEN abs(" + RawMoney(r) + ") <= 1e15 THEN " + RawMoney(r) + " ELSE 0 END)";
}

inline std::string Add(const std::string& r) {
    return "INSERT INTO day_total(Data, records, seconds, money, odd) VALUES(" + r + "Data, 1, " +
           Seconds(r) + ", " + Money(r) + ", " + Odd(r) + ") " +
           "ON CONFLICT(Data) DO UPDATE SET records = records + 1, "
           "seconds = seconds + excluded.seconds, money = money + excluded.money, "
           "odd = odd + excluded.odd; ";
}
inline std::string Take(const std::string& r) {
    return "UPDATE day_total SET records = records - 1, seconds = seconds - " + Seconds(r) +
           ", money = money - " + Money(r) + ", odd = odd - " + Odd(r) + " WHERE Data = " + r +
           "Data; DELETE FROM day_total WHERE Data = " + r + "Data AND records <= 0; ";
}

// The days' totals added up from the records.
inline std::string Scan() {
    return "SELECT Data, count(*), sum(" + Seconds("") + "), total(" + Money("") + "), sum(" +
           Odd("") + ") FROM session ";
}

// The triggers that keep the totals, each as the file's schema holds it: a file whose
// triggers read otherwise (an earlier program's) has its totals built afresh.
inline std::string Added() {
    return "CREATE TRIGGER session_day_added AFTER INSERT ON session BEGIN " + Add("NEW.") + "END";
}
inline std::string Removed() {
    return "CREATE TRIGGER session_day_removed AFTER DELETE ON session BEGIN " + Take("OLD.") +
           "END";
}
inline std::string Changed() {
    return "CREATE TRIGGER session_day_changed AFTER UPDATE ON session BEGIN " + Take("OLD.") +
           Add("NEW.") + "END";
}

// Version 4: the table, filled from the records there are, and the triggers that keep it.
inline std::string Schema() {
    return "CREATE TABLE day_total(Data TEXT PRIMARY KEY, records INTEGER NOT NULL, "
           "seconds INTEGER NOT NULL, money REAL NOT NULL, odd INTEGER NOT NULL) WITHOUT ROWID; "
           "INSERT INTO day_total(Data, records, seconds, money, odd) " +
           Scan() + "GROUP BY Data; " + Added() + "; " + Removed() + "; " + Changed();
}

} // namespace DayTotalsSql
