#include "DayTotals.h"

#include "DayTotalsSql.h"

#include "Failure.h"
#include "TableFile.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

bool DayTotals::Sound(const SqliteDatabase& db) {
    try {
        SqliteStatement check(
            db, "SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND sql IN "
                "(?1, ?2, ?3)) = 3 "
                "AND (SELECT total(records) FROM day_total) = "
                "(SELECT ifnull((SELECT n FROM session_count), -1)) "
                "AND (SELECT count(*) FROM day_total WHERE records <= 0 OR "
                "typeof(seconds) != 'integer' OR typeof(money) != 'real' OR "
                "NOT abs(money) <= ?4) = 0"); // a sum no records could give is built afresh
        check.Bind(1, QString::fromStdString(DayTotalsSql::Added()))
            .Bind(2, QString::fromStdString(DayTotalsSql::Removed()))
            .Bind(3, QString::fromStdString(DayTotalsSql::Changed()))
            .Bind(4, DayTotalsSql::MaxMoney * 1e6);
        return check.Step() && check.Int(0) == 1;
    } catch (const SqliteError&) {
        return false; // no such table, or not the columns it should have
    }
}

void DayTotals::Rebuild(SqliteDatabase& db) {
    SqliteTransaction transaction(db);
    db.Exec("DROP TRIGGER IF EXISTS session_day_added; "
            "DROP TRIGGER IF EXISTS session_day_removed; "
            "DROP TRIGGER IF EXISTS session_day_changed; "
            "DROP TABLE IF EXISTS day_total");
    db.Exec(DayTotalsSql::Schema().c_str());
    transaction.Commit();
}

std::vector<DayTotal> DayTotals::Read(const SqliteDatabase& db, const QDate& from, const QDate& to,
                                      bool scan) {
    const std::string sql =
        scan ? DayTotalsSql::Scan() + "WHERE Data >= ?1 AND Data <= ?2 GROUP BY Data ORDER BY Data"
             : "SELECT Data, records, seconds, money, odd FROM day_total "
               "WHERE Data >= ?1 AND Data <= ?2 ORDER BY Data";
    SqliteStatement s(db, sql.c_str());
    s.Bind(1, from.toString(Qt::ISODate)).Bind(2, to.toString(Qt::ISODate));
    std::vector<DayTotal> days;
    while (s.Step())
        days.push_back(
            {QDate::fromString(s.Text(0), Qt::ISODate), s.Int(1), s.Int(2), s.Double(3), s.Int(4)});
    AddTraffic(db, from, to, scan, days);
    return days;
}

void DayTotals::AddTraffic(const SqliteDatabase& db, const QDate& from, const QDate& to, bool scan,
                           std::vector<DayTotal>& days) {
    SqliteStatement kept(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name IN ('day_volume', 'session_volume')");
    if (!kept.Step() || kept.Int(0) != 2)
        return; // a file from before the traffic was counted
    kept.Reset();
    // The days' bytes as kept, or added up from the records' own when the totals are not
    // to be trusted; both in date order, as the days are.
    SqliteStatement s(db, scan ? "SELECT s.Data, sum(v.Rx), sum(v.Tx) FROM session_volume v "
                                 "JOIN session s ON s.id = v.id WHERE s.Data >= ?1 AND "
                                 "s.Data <= ?2 GROUP BY s.Data ORDER BY s.Data"
                               : "SELECT Data, Rx, Tx FROM day_volume WHERE Data >= ?1 AND "
                                 "Data <= ?2 ORDER BY Data");
    s.Bind(1, from.toString(Qt::ISODate)).Bind(2, to.toString(Qt::ISODate));
    auto day = days.begin();
    while (s.Step()) {
        const QDate date = QDate::fromString(s.Text(0), Qt::ISODate);
        while (day != days.end() && day->day < date)
            ++day;
        if (day != days.end() && day->day == date && s.Int(1) >= 0 && s.Int(2) >= 0)
            day->traffic = Traffic{quint64(s.Int(1)), quint64(s.Int(2))};
    }
}

SpendTotal SpendTotal::Of(const std::vector<DayTotal>& days) {
    SpendTotal total;
    long double carry = 0;
    for (const DayTotal& d : days) {
        if (d.traffic) {
            total.traffic += *d.traffic;
            total.trafficCounted = true;
        }
        total.records += d.records;
        total.seconds += d.seconds;
        total.odd += d.odd;
        const long double sum = total.money + d.money;
        carry += std::fabs(total.money) >= std::fabs(d.money) ? (total.money - sum) + d.money
                                                              : (d.money - sum) + total.money;
        total.money = sum;
    }
    total.money += carry;
    return total;
}

std::vector<DayTotal> DayTotals::ReadFile(const QString& path, const QDate& from, const QDate& to) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        throw Failure(
            QStringLiteral("Файла «%1» нет: запустите программу из папки её данных.").arg(shown));
    try {
        SqliteDatabase db = SqliteDatabase::ReadOnly(path);
        db.SetBusyWait(1000); // a reader waits for the program's commit rather than fail
        SqliteStatement version(db, "PRAGMA user_version");
        version.Step();
        const qint64 found = version.Int(0);
        version.Reset();
        SqliteStatement session(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                    "AND name = 'session'");
        session.Step();
        if (session.Int(0) != 1)
            throw Failure(QStringLiteral("Файл «%1» не прочитан: в нём нет таблицы «session», "
                                         "это не файл этой программы.")
                              .arg(shown));
        if (found > 5)
            throw Failure(QStringLiteral("Файл «%1» не прочитан: он записан более новой версией "
                                         "программы (формат %2).")
                              .arg(shown)
                              .arg(found));
        return Read(db, from, to, found < 4 || !Sound(db));
    } catch (const SqliteError& error) {
        throw Failure(TableFailureText(path, QStringLiteral("прочитать"), error));
    }
}
