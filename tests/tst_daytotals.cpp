#include "TestFiles.h"
#include "storage/DayTotals.h"
#include "storage/SessionTable.h"
#include "storage/Sqlite.h"
#include "storage/TextForms.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <map>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// The per-day totals kept in data.db stay equal to the records added up afresh, whoever
// writes the records, through deletes, crashes, damage and rebuilds.
namespace {
// Whether another connection holds data.db's write lock now.
bool WriteLockHeld(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const int code = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return code == SQLITE_BUSY;
}

const QDate Dec1(2026, 12, 1);

// What the records hold, added up in C++ from their texts: the reference.
std::map<QDate, DayTotal> Expected(const QString& path) {
    std::map<QDate, DayTotal> days;
    const QStringList rows = RawSql(path, "SELECT Data||'|'||Itogo||'|'||Summ FROM session");
    for (const QString& row : rows) {
        const QStringList f = row.split('|');
        DayTotal& d = days[QDate::fromString(f[0], Qt::ISODate)];
        d.day = QDate::fromString(f[0], Qt::ISODate);
        ++d.records;
        const QStringList hms = f[1].split(':');
        d.seconds += hms[0].toLongLong() * 3600 + hms[1].toLongLong() * 60 + hms[2].toLongLong();
        d.money += double(TextForms::ParseNumber(f[2]));
    }
    return days;
}

// The kept totals equal the reference: counts and seconds exactly, money to far below what
// the report's 15 digits show.
void CompareWithRecords(const SessionTable& table) {
    const auto expected = Expected(table.FilePath());
    const auto kept = table.DayTotalsIn(QDate(2000, 1, 1), QDate(2100, 1, 1));
    QCOMPARE(kept.size(), expected.size());
    for (const DayTotal& d : kept) {
        const auto e = expected.find(d.day);
        QVERIFY2(e != expected.end(), qPrintable(d.day.toString()));
        QCOMPARE(d.records, e->second.records);
        QCOMPARE(d.seconds, e->second.seconds);
        QVERIFY2(std::abs(d.money - e->second.money) <= 1e-9 * std::max(1.0, e->second.money),
                 qPrintable(QString("%1: %2 != %3")
                                .arg(d.day.toString())
                                .arg(d.money, 0, 'g', 17)
                                .arg(e->second.money, 0, 'g', 17)));
        QCOMPARE(d.odd, 0);
    }
}

SessionRecord RandomRecord(QRandomGenerator& random) {
    const int seconds = int(random.bounded(1, 6 * 3600));
    const double rate = random.bounded(1, 120) / 4.0;
    const QString rateText = TextForms::NumberText(rate);
    const QString charge = TextForms::NumberText(rate * seconds / 3600.0);
    return {Dec1.addDays(random.bounded(0, 40)),
            QStringLiteral("9:00:00"),
            QStringLiteral("10:00:00"),
            TextForms::TimeText(seconds / 86400.0),
            rateText,
            charge};
}

// A data.db in `dir` holding `count` records drawn from `seed`, closed again.
void StoreRandomRecords(const QString& dir, quint32 seed, int count) {
    SessionTable table(dir);
    QRandomGenerator random(seed);
    for (int i = 0; i < count; ++i)
        table.Append(RandomRecord(random));
}
} // namespace

class TestDayTotals : public QObject {
    Q_OBJECT
private slots:
    void followAppendsDeletesAndOtherWriters() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        QRandomGenerator random(17);
        for (int i = 0; i < 300; ++i)
            table.Append(RandomRecord(random));
        CompareWithRecords(table);
        // Deletes through the window's button, from the middle and to the end of a day.
        table.MoveTo(table.ReadRows(0, 1).at(0).id); // the newest
        for (int i = 0; i < 40; ++i)
            table.DeleteCurrent();
        CompareWithRecords(table);
        // Another writer: the sqlite3 shell, inserting, editing and deleting.
        RawSql(table.FilePath(),
               "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
               "VALUES('2027-03-01', '1:00:00', '2:00:00', '12:34:56', '10', '125,8222222222');"
               "UPDATE session SET Summ = '1,5', Itogo = '0:01:30' WHERE id % 7 = 0;"
               "UPDATE session SET Data = '2026-11-30' WHERE id % 11 = 0;"
               "DELETE FROM session WHERE id % 5 = 0");
        CompareWithRecords(table);
        RawSql(table.FilePath(), "DELETE FROM session");
        QVERIFY(table.DayTotalsIn(QDate(2000, 1, 1), QDate(2100, 1, 1)).empty());
        QVERIFY(!table.DaysByScan());
    }

    void readsAPeriodWithItsEnds() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        for (int day : {0, 1, 1, 2, 5})
            table.Append({Dec1.addDays(day), "9:00:00", "10:00:00", "1:00:00", "20", "20"});
        const auto days = table.DayTotalsIn(Dec1.addDays(1), Dec1.addDays(2));
        QCOMPARE(days.size(), 2u);
        QCOMPARE(days[0], (DayTotal{Dec1.addDays(1), 2, 7200, 40.0, 0}));
        QCOMPARE(days[1], (DayTotal{Dec1.addDays(2), 1, 3600, 20.0, 0}));
        const SpendTotal sum = SpendTotal::Of(table.DayTotalsIn(Dec1, Dec1.addDays(30)));
        QCOMPARE(sum.records, 5);
        QCOMPARE(sum.seconds, 5 * 3600);
        QCOMPARE(double(sum.money), 100.0);
    }

    // Texts the program never writes are counted apart, so that readers can send the user to
    // the report, which names them.
    void oddTextsAreCountedApart_data() {
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("charge");
        QTest::addColumn<int>("odd");
        QTest::newRow("as written") << "10:05:07"
                                    << "30,1666666666667" << 0;
        QTest::newRow("tiny charge") << "0:00:01"
                                     << "5E-5" << 0;
        QTest::newRow("point for comma") << "1:00:00"
                                         << "12.5" << 1;
        QTest::newRow("words") << "1:00:00"
                               << "двадцать" << 1;
        QTest::newRow("empty charge") << "1:00:00"
                                      << "" << 1;
        QTest::newRow("short duration") << "1:5:7"
                                        << "20" << 1;
        QTest::newRow("duration without colons") << "3600"
                                                 << "20" << 1;
        QTest::newRow("blanks in duration") << " 1:00:00"
                                            << "20" << 1;
        QTest::newRow("four pieces") << "1:00:00:00"
                                     << "20" << 1;
        QTest::newRow("beyond any sum") << "1:00:00"
                                        << "2E308" << 1;
        QTest::newRow("beyond the largest amount") << "1:00:00"
                                                   << "1E16" << 1;
        QTest::newRow("large but an amount") << "1:00:00"
                                             << "9E14" << 0;
    }
    void oddTextsAreCountedApart() {
        QFETCH(QString, duration);
        QFETCH(QString, charge);
        QFETCH(int, odd);
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append({Dec1, "9:00:00", "10:00:00", duration, "20", charge});
        const auto days = table.DayTotalsIn(Dec1, Dec1);
        QCOMPARE(days.size(), 1u);
        QCOMPARE(days[0].odd, odd);
        // and a scan agrees with the kept totals; the sum is one that can be shown and the
        // record deleted again
        SqliteDatabase db(table.FilePath(), false);
        QCOMPARE(DayTotals::Read(db, Dec1, Dec1, true), days);
        QVERIFY(std::isfinite(double(SpendTotal::Of(days).money)));
        table.DeleteCurrent(); // the one record, current since it was stored
        QCOMPARE(table.DayTotalsIn(Dec1, Dec1).size(), 0u);
    }

    // Damage of every kind is found at open and the totals are built afresh.
    void rebuiltWhenMissingOrStale_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("table dropped") << "DROP TABLE day_total";
        QTest::newRow("rows deleted") << "DELETE FROM day_total";
        QTest::newRow("a day's count changed") << "UPDATE day_total SET records = records + 1 "
                                                  "WHERE rowid IN (SELECT rowid FROM day_total "
                                                  "LIMIT 1)";
        QTest::newRow("trigger dropped, then a record written")
            << "DROP TRIGGER session_day_added; INSERT INTO session(Data, WremN, WremW, Itogo, "
               "Tarif, Summ) VALUES('2026-12-03', '1', '2', '1:00:00', '20', '20')";
        QTest::newRow("a day of no records") << "INSERT INTO day_total VALUES('2030-01-01', 0, 0, "
                                                "0.0, 0)";
        QTest::newRow("seconds as text") << "UPDATE day_total SET seconds = 'x'";
        QTest::newRow("other columns") << "DROP TABLE day_total; CREATE TABLE day_total(x)";
        QTest::newRow("a day's money beyond any sum") << "UPDATE day_total SET money = 1e300";
        QTest::newRow("an earlier program's trigger")
            << "DROP TRIGGER session_day_removed; CREATE TRIGGER session_day_removed AFTER DELETE "
               "ON session BEGIN UPDATE day_total SET records = records - 1 WHERE Data = "
               "OLD.Data; END";
    }
    void rebuiltWhenMissingOrStale() {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        StoreRandomRecords(dir.path(), 3, 50);
        const QString path = dir.filePath("data.db");
        RawSql(path, damage.toUtf8().constData());
        // A reader beside the program (--summary) counts every record of the damaged file.
        qint64 records = 0, seconds = 0;
        for (const auto& [day, total] : Expected(path)) {
            records += total.records;
            seconds += total.seconds;
        }
        const SpendTotal read = SpendTotal::Of(DayTotals::ReadFile(path, Dec1, Dec1.addDays(40)));
        QCOMPARE(read.records, records);
        QCOMPARE(read.seconds, seconds);
        std::unique_ptr<SessionTable> opened;
        const QString failure =
            FailureOf([&] { opened = std::make_unique<SessionTable>(dir.path()); });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        SessionTable& reopened = *opened;
        QVERIFY(!reopened.DaysByScan());
        CompareWithRecords(reopened);
        SqliteDatabase db(reopened.FilePath(), false);
        QVERIFY(DayTotals::Sound(db));
    }

    // The same damage, with a record written before any totals are read: the totals are
    // sound before the record goes in, so it is added to the right ones.
    void rebuiltBeforeTheFirstWrite_data() { rebuiltWhenMissingOrStale_data(); }
    void rebuiltBeforeTheFirstWrite() {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        StoreRandomRecords(dir.path(), 5, 20);
        const QString path = dir.filePath("data.db");
        RawSql(path, damage.toUtf8().constData());
        const QString failure = FailureOf([&] {
            SessionTable table(dir.path());
            table.Append({Dec1, "9:00:00", "10:00:00", "1:00:00", "20", "20"});
        });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        SqliteDatabase db(path, false);
        QVERIFY(DayTotals::Sound(db));
        const auto expected = Expected(path);
        const auto kept = DayTotals::Read(db, QDate(2000, 1, 1), QDate(2100, 1, 1), false);
        QCOMPARE(kept.size(), expected.size());
        for (const DayTotal& d : kept) {
            QCOMPARE(d.records, expected.at(d.day).records);
            QCOMPARE(d.seconds, expected.at(d.day).seconds);
        }
    }

    // A file that is stale and cannot be written: added up from the records, never wrong.
    void staleAndReadOnlyIsAddedUpFromTheRecords() {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only file");
        QTemporaryDir dir;
        {
            SessionTable table(dir.path());
            table.Append({Dec1, "9:00:00", "10:00:00", "1:00:00", "20", "20"});
        }
        const QString path = dir.filePath("data.db");
        RawSql(path, "PRAGMA journal_mode=DELETE; DELETE FROM day_total");
        QFile::setPermissions(path, QFile::ReadOwner);
        QString failure = FailureOf([&] {
            SessionTable table(dir.path());
            QVERIFY(table.DaysByScan());
            QCOMPARE(table.DayTotalsIn(Dec1, Dec1),
                     (std::vector<DayTotal>{{Dec1, 1, 3600, 20.0, 0}}));
        });
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (!failure.isEmpty())
            QSKIP(qPrintable("a read-only file does not open here: " + failure));
    }

    // A version 2 file (before the totals) is upgraded with its totals built from its rows.
    void aFileFromBeforeTheTotalsGetsThem() {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        {
            SessionTable table(dir.path());
            table.Append({Dec1, "9:00:00", "10:00:00", "2:00:00", "20", "40"});
            table.Append({Dec1, "11:00:00", "11:30:00", "0:30:00", "20", "10"});
        }
        RawSql(path, "DROP TRIGGER session_day_added; DROP TRIGGER session_day_removed; "
                     "DROP TRIGGER session_day_changed; DROP TABLE day_total; "
                     "PRAGMA user_version = 3");
        SessionTable table(dir.path());
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"4"});
        QCOMPARE(table.DayTotalsIn(Dec1, Dec1), (std::vector<DayTotal>{{Dec1, 2, 9000, 50.0, 0}}));
    }

    // kill -9 while records are being stored, by the program or by another writer inside an
    // open transaction: whatever was committed is in the totals, nothing more.
    void aCrashLeavesThemRight_data() {
        QTest::addColumn<bool>("rawTransaction");
        QTest::newRow("the program appending") << false;
        QTest::newRow("a transaction left open") << true;
    }
    void aCrashLeavesThemRight() {
        QFETCH(bool, rawTransaction);
        QTemporaryDir dir;
        { SessionTable table(dir.path()); }
        const QString path = dir.filePath("data.db");
        for (int round = 0; round < 3; ++round) {
            const int before = RawSql(path, "SELECT count(*) FROM session").value(0).toInt();
            int inside[2]; // the raw writer says here that its transaction is open
            QVERIFY(pipe(inside) == 0);
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                QRandomGenerator random(round);
                if (rawTransaction) {
                    sqlite3* db = nullptr;
                    sqlite3_open(path.toUtf8().constData(), &db);
                    sqlite3_busy_timeout(db, 60'000); // the last round's fold-back may hold it
                    const int code =
                        sqlite3_exec(db,
                                     "BEGIN; INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, "
                                     "Summ) VALUES('2026-12-02', '1', '2', '1:00:00', '20', '20')",
                                     nullptr, nullptr, nullptr);
                    if (code != SQLITE_OK || write(inside[1], "x", 1) != 1)
                        _exit(1);
                    for (;;)
                        pause(); // killed with the transaction open
                }
                SessionTable table(dir.path());
                for (;;)
                    table.Append(RandomRecord(random));
            }
            // Killed once it is at work: inside its open transaction (our own write is turned
            // away), or a few more records stored than before; killed too when the wait fails,
            // or it would outlive the test (and hold the test runner's pipe).
            {
                const auto end = qScopeGuard([child, inside] {
                    kill(child, SIGKILL);
                    int status = 0;
                    waitpid(child, &status, 0);
                    close(inside[0]);
                });
                close(inside[1]);
                if (rawTransaction) {
                    pollfd said{inside[0], POLLIN, 0};
                    char byte = 0;
                    QVERIFY(poll(&said, 1, 60'000) == 1 && read(inside[0], &byte, 1) == 1);
                    QVERIFY(WriteLockHeld(path));
                } else
                    QTRY_VERIFY_WITH_TIMEOUT(
                        RawSql(path, "SELECT count(*) FROM session").value(0).toInt() >= before + 5,
                        60'000);
            }
            SessionTable table(dir.path());
            QVERIFY(!table.DaysByScan());
            CompareWithRecords(table);
            if (!rawTransaction)
                QVERIFY(table.RowCount() > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestDayTotals)
#include "tst_daytotals.moc"
