#include "TempDir.h"
#include "storage/Failure.h"
#include "storage/TariffTable.h"

#include <QtTest>

namespace {
int Ms(int h, int m, int s, int ms = 0) { return ((h * 60 + m) * 60 + s) * 1000 + ms; }
}

class TestTariffTable : public QObject {
    Q_OBJECT
private slots:
    void createsTheSchemaWhenMissing() {
        QTemporaryDir dir;
        { TariffTable table(dir.path()); }
        const QString path = dir.filePath("tarif.db");
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"1"});
        QCOMPARE(RawSql(path, "SELECT sql FROM sqlite_master WHERE name='tariff'"),
                 QStringList{"CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, "
                             "WrN TEXT, WrK TEXT, Cost REAL)"});
    }

    void newRowsGoFirstAndKeepEmptyCells() {
        QTemporaryDir dir;
        TariffTable table(dir.path());
        const TariffPeriod day{Ms(8, 0, 0), Ms(20, 0, 0, 5), 20.5};
        const TariffPeriod holes{std::nullopt, Ms(6, 0, 0), std::nullopt};
        table.Add(day);
        const qint64 second = table.Add(holes);
        auto rows = table.ReadAll();
        QCOMPARE(rows.size(), 2u);
        QCOMPARE(rows[0].id, second);
        QCOMPARE(rows[0].period, holes);
        QCOMPARE(rows[1].period, day);
        QCOMPARE(RawSql(table.FilePath(), "SELECT ifnull(WrN,'NULL')||' '||WrK||' '||"
                                          "ifnull(Cost,'NULL') FROM tariff ORDER BY id"),
                 (QStringList{"08:00:00.000 20:00:00.005 20.5", "NULL 06:00:00.000 NULL"}));
    }

    void editAndDelete() {
        QTemporaryDir dir;
        TariffTable table(dir.path());
        const qint64 id = table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20});
        QSignalSpy changed(&table, &TariffTable::Changed);
        table.Update(id, {Ms(9, 0, 0), std::nullopt, 0.75});
        QCOMPARE(table.ReadAll().front().period,
                 (TariffPeriod{Ms(9, 0, 0), std::nullopt, 0.75}));
        table.Remove(id);
        QVERIFY(table.ReadAll().empty());
        QCOMPARE(changed.count(), 2);
    }

    void timesWrittenByHandAreRead() {
        QTemporaryDir dir;
        { TariffTable table(dir.path()); }
        RawSql(dir.filePath("tarif.db"), "INSERT INTO tariff(WrN, WrK, Cost) "
                                         "VALUES('8:00', 'noon', 3), ('22:00:00', '06:00:00', 1)");
        TariffTable table(dir.path());
        const auto rows = table.ReadAll();
        QCOMPARE(rows[0].period, (TariffPeriod{Ms(22, 0, 0), Ms(6, 0, 0), 1}));
        QCOMPARE(rows[1].period, (TariffPeriod{Ms(8, 0, 0), std::nullopt, 3})); // unreadable
    }

    void fieldNamesIgnoreCase() {
        QCOMPARE(TariffTable::FieldIndex("WrN"), 0);
        QCOMPARE(TariffTable::FieldIndex("WrK"), 1);
        QCOMPARE(TariffTable::FieldIndex("Wrk"), 1);
        QCOMPARE(TariffTable::FieldIndex("cost"), 2);
        try {
            TariffTable::FieldIndex("Price");
            QFAIL("no failure");
        } catch (const Failure& f) {
            QCOMPARE(f.message(), QStringLiteral("Field 'Price' not found"));
        }
    }

    void refusesTheSessionFileUnderItsName() {
        QTemporaryDir dir;
        RawSql(dir.filePath("tarif.db"), "CREATE TABLE session(id INTEGER PRIMARY KEY)");
        const QByteArray before = FileDigest(dir.filePath("tarif.db"));
        QVERIFY_THROWS_EXCEPTION(Failure, TariffTable table(dir.path()));
        QCOMPARE(FileDigest(dir.filePath("tarif.db")), before);
    }
};

QTEST_GUILESS_MAIN(TestTariffTable)
#include "tst_tarifftable.moc"
