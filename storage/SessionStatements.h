#pragma once
// The session table's compiled statements, shared by the files that implement it: the
// reads of the view and of report ranges, and the writes.

#include "SessionTable.h"
#include "Sqlite.h"
#include "TrafficSql.h"

#include <optional>
#include <string>

namespace SessionSql {

// ?1 and ?2 are the filter's ends as ISO dates, NULL when no filter is set.
inline const std::string InView = "(?1 IS NULL OR (Data >= ?1 AND Data <= ?2))";
// With the records' bytes once the file keeps them (version 5).
inline std::string SelectRows(bool volumes) {
    return "SELECT id, Data, WremN, WremW, Itogo, Tarif, Summ, " +
           (volumes ? TrafficSql::RowVolume : std::string("NULL, NULL")) + " FROM session ";
}

inline SessionRow ReadRow(const SqliteStatement& s) {
    SessionRow row{s.Int(0),
                   {QDate::fromString(s.Text(1), Qt::ISODate), s.Text(2), s.Text(3), s.Text(4),
                    s.Text(5), s.Text(6)}};
    if (!s.IsNull(7))
        row.record.traffic = Traffic{quint64(s.Int(7)), quint64(s.Int(8))};
    return row;
}

} // namespace SessionSql

struct SessionTable::Statements {
    Statements(const SqliteDatabase& db, bool volumes)
        : volumes(volumes),
          count(db, ("SELECT CASE WHEN ?1 IS NULL AND ?3 = 0 THEN (SELECT n FROM session_count) "
                     "ELSE (SELECT count(*) FROM session WHERE " +
                     SessionSql::InView + ") END")
                        .c_str()),
          page(db, (SessionSql::SelectRows(volumes) + "WHERE " + SessionSql::InView +
                    " ORDER BY id DESC LIMIT ?3 OFFSET ?4")
                       .c_str()),
          maxId(db, "SELECT ifnull(max(id), 0) FROM session"),
          readOpen(db, "SELECT StartDate, StartTime, LastDate, LastTime, Rate, Seconds, Charges, "
                       "Records, Unit, Fee, Minimum FROM open_segment"),
          schemaVersion(db, "PRAGMA schema_version"),
          // Compiled when first used: they read the same columns as the page above, so a
          // file that lacks one is refused at opening all the same.
          first(db, SessionSql::SelectRows(volumes) + "WHERE " + SessionSql::InView +
                        " ORDER BY id DESC LIMIT 1"),
          older(db, SessionSql::SelectRows(volumes) + "WHERE id < ?3 AND " + SessionSql::InView +
                        " ORDER BY id DESC LIMIT 1"),
          newer(db, SessionSql::SelectRows(volumes) + "WHERE id > ?3 AND " + SessionSql::InView +
                        " ORDER BY id ASC LIMIT 1"),
          exact(db, SessionSql::SelectRows(volumes) + "WHERE id = ?3 AND " + SessionSql::InView),
          offsetOf(db, "SELECT count(*) FROM session WHERE id > ?3 AND " + SessionSql::InView),
          rangeCount(db, "SELECT count(*) FROM session WHERE id <= ?3 AND " + SessionSql::InView),
          rangePage(db, SessionSql::SelectRows(volumes) + "WHERE id <= ?3 AND " +
                            SessionSql::InView + " ORDER BY id DESC LIMIT ?4 OFFSET ?5"),
          rangeCharges(db, "SELECT Summ, Itogo FROM session WHERE id <= ?3 AND " +
                               SessionSql::InView + " ORDER BY id DESC") {
        if (volumes)
            readOpenVolume.emplace(db, "SELECT Rx, Tx FROM open_volume");
    }
    bool volumes; // the file keeps the traffic
    SqliteStatement count, page, maxId, readOpen, schemaVersion;
    LazyStatement first, older, newer, exact, offsetOf, rangeCount, rangePage, rangeCharges;
    std::optional<SqliteStatement> readOpenVolume;
};

// Compiled with the triggers that keep the count and the per-day totals, so only once the
// totals' table is known to be there.
struct SessionTable::Writes {
    Writes(const SqliteDatabase& db, bool volumes)
        : insert(db, "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6)"),
          remove(db, "DELETE FROM session WHERE id = ?1"),
          keepOpen(db, "INSERT OR REPLACE INTO open_segment(id, StartDate, StartTime, LastDate, "
                       "LastTime, Rate, Seconds, Charges, Records, Unit, Fee, Minimum) "
                       "VALUES(1, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"),
          // By its one row: a DELETE of the whole table rewrites the table's page even when
          // nothing is open, a page more in the log at every record.
          closeOpen(db, "DELETE FROM open_segment WHERE id = 1"), transaction(db) {
        if (!volumes)
            return;
        insertVolume.emplace(db, "INSERT INTO session_volume(id, Rx, Tx) VALUES(?1, ?2, ?3)");
        keepOpenVolume.emplace(db,
                               "INSERT OR REPLACE INTO open_volume(id, Rx, Tx) VALUES(1, ?1, ?2)");
        closeOpenVolume.emplace(db, "DELETE FROM open_volume WHERE id = 1");
    }
    // Inside a transaction: the record (with its bytes), its id returned.
    qint64 Insert(SqliteDatabase& db, const SessionRecord& r) {
        const StatementUse use(insert);
        insert.Bind(1, r.date.toString(Qt::ISODate))
            .Bind(2, r.startTime)
            .Bind(3, r.endTime)
            .Bind(4, r.duration)
            .Bind(5, r.rate)
            .Bind(6, r.charge);
        insert.Step();
        const qint64 id = db.LastInsertId(); // before the open segment's own row moves it
        if (r.traffic && insertVolume) {
            const StatementUse volume(*insertVolume);
            volume->Bind(1, id).Bind(2, qint64(r.traffic->rx)).Bind(3, qint64(r.traffic->tx));
            volume->Step();
        }
        return id;
    }
    // Inside a transaction: what is open now (with its bytes), or that nothing is.
    void Keep(const std::optional<OpenSegment>& open) {
        const StatementUse keepRow(keepOpen), closeRow(closeOpen);
        if (open) {
            keepOpen.Bind(1, open->startDate.toString(Qt::ISODate))
                .Bind(2, qint64(open->startMsecs))
                .Bind(3, open->lastDate.toString(Qt::ISODate))
                .Bind(4, qint64(open->lastMsecs))
                .Bind(5, open->rate)
                .Bind(6, open->soFar.seconds)
                .Bind(7, open->soFar.charges)
                .Bind(8, qint64(open->soFar.records))
                .Bind(9, qint64(open->billing.unit))
                .Bind(10, open->billing.fee)
                .Bind(11, open->billing.minimum);
            keepOpen.Step();
        } else {
            closeOpen.Step();
        }
        if (!keepOpenVolume)
            return;
        const StatementUse keepVolume(*keepOpenVolume), closeVolume(*closeOpenVolume);
        if (open && open->traffic)
            keepVolume->Bind(1, qint64(open->traffic->rx)).Bind(2, qint64(open->traffic->tx));
        (open && open->traffic ? keepVolume : closeVolume)->Step();
    }

    SqliteStatement insert, remove, keepOpen, closeOpen;
    TransactionStatements transaction;
    // Once the file keeps the traffic.
    std::optional<SqliteStatement> insertVolume, keepOpenVolume, closeOpenVolume;
};
