#pragma once
// Plausible session records for the benchmarks: a connection or two a day across ten years,
// priced by day and night tariffs, each with its bytes, written straight into a data folder.

#include "accounting/TariffBook.h"
#include "storage/SessionTable.h"
#include "storage/TrafficSql.h"

#include <QDir>
#include <QRandomGenerator>
#include <sqlite3.h>

inline void MakeSessions(const QString& dir, qint64 count) {
    { SessionTable create(dir); }
    sqlite3* db = nullptr;
    sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                       "VALUES(?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    QRandomGenerator random(20261208);
    const QDate first(2016, 12, 8);
    const QStringList rates = {"20", "10", "15", "0", "10,5"};
    for (qint64 i = 0; i < count; ++i) {
        const QDate day = first.addDays(i * 3650 / std::max<qint64>(count, 1));
        const int start = random.bounded(0, 80'000) * 1000;
        const int length = random.bounded(1, 6 * 3600) * 1000 + random.bounded(0, 1000);
        const int end = std::min(start + length, 86'399'999);
        const SessionRecord r =
            TariffBook::RecordOf({day, start, day, end, rates[random.bounded(int(rates.size()))]});
        const QByteArray fields[] = {r.date.toString(Qt::ISODate).toUtf8(),
                                     r.startTime.toUtf8(),
                                     r.endTime.toUtf8(),
                                     r.duration.toUtf8(),
                                     r.rate.toUtf8(),
                                     r.charge.toUtf8()};
        for (int f = 0; f < 6; ++f)
            sqlite3_bind_text(insert, f + 1, fields[f].constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    // The traffic kept as from version 5: up to 100 MB received and 10 MB sent a record.
    sqlite3_exec(db, (TrafficSql::Schema() + "; PRAGMA user_version = 5").c_str(), nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db,
                 "INSERT INTO session_volume(id, Rx, Tx) SELECT id, abs(random()) % 104857600, "
                 "abs(random()) % 10485760 FROM session",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
