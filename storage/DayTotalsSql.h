#pragma once
// The SQL of the per-day totals, shared by the session table's schema and its readers, so
// that the triggers, a rebuild and a scan of the records agree to the bit.

// clang-format off

// A record's share. R is the row: "NEW.", "OLD." or "". The program writes durations as
// H:MM:SS and charges as number texts with a decimal comma; anything else counts as odd.
#define DAY_ODD(R)                                                                            \
    "(" R "Itogo NOT GLOB '[0-9]*:[0-9][0-9]:[0-9][0-9]' OR " R "Itogo GLOB '*[^0-9:]*' OR "    \
    R "Itogo GLOB '*:*:*:*' OR " R "Summ NOT GLOB '*[0-9]*' OR "                                \
    R "Summ GLOB '*[^0-9,E+-]*' OR " R "Summ GLOB '*,*,*')"
#define DAY_SECONDS(R)                                                                        \
    "(CAST(substr(" R "Itogo, 1, length(" R "Itogo) - 6) AS INTEGER) * 3600 + "                \
    "CAST(substr(" R "Itogo, -5, 2) AS INTEGER) * 60 + CAST(substr(" R "Itogo, -2) AS INTEGER))"
#define DAY_MONEY(R) "CAST(replace(" R "Summ, ',', '.') AS REAL)"

#define DAY_ADD(R)                                                                            \
    "INSERT INTO day_total(Data, records, seconds, money, odd) VALUES(" R "Data, 1, "          \
    DAY_SECONDS(R) ", " DAY_MONEY(R) ", " DAY_ODD(R) ") "                                      \
    "ON CONFLICT(Data) DO UPDATE SET records = records + 1, "                                  \
    "seconds = seconds + excluded.seconds, money = money + excluded.money, "                   \
    "odd = odd + excluded.odd; "
#define DAY_TAKE(R)                                                                           \
    "UPDATE day_total SET records = records - 1, seconds = seconds - " DAY_SECONDS(R) ", "     \
    "money = money - " DAY_MONEY(R) ", odd = odd - " DAY_ODD(R) " WHERE Data = " R "Data; "    \
    "DELETE FROM day_total WHERE Data = " R "Data AND records <= 0; "

// The days' totals added up from the records.
#define DAY_SCAN                                                                              \
    "SELECT Data, count(*), sum(" DAY_SECONDS("") "), total(" DAY_MONEY("") "), "              \
    "sum(" DAY_ODD("") ") FROM session "

// Version 4: the table, filled from the records there are, and the triggers that keep it.
#define DAY_TOTAL_SCHEMA                                                                      \
    "CREATE TABLE day_total(Data TEXT PRIMARY KEY, records INTEGER NOT NULL, "                 \
    "seconds INTEGER NOT NULL, money REAL NOT NULL, odd INTEGER NOT NULL) WITHOUT ROWID; "     \
    "INSERT INTO day_total(Data, records, seconds, money, odd) " DAY_SCAN "GROUP BY Data; "    \
    "CREATE TRIGGER session_day_added AFTER INSERT ON session BEGIN " DAY_ADD("NEW.") "END; "  \
    "CREATE TRIGGER session_day_removed AFTER DELETE ON session BEGIN " DAY_TAKE("OLD.")       \
    "END; "                                                                                   \
    "CREATE TRIGGER session_day_changed AFTER UPDATE ON session BEGIN " DAY_TAKE("OLD.")       \
    DAY_ADD("NEW.") "END"

// clang-format on
