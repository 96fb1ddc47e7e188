#include "Fakes.h"
#include "TestFiles.h"
#include "TimeOfDay.h"
#include "accounting/TariffBook.h"
#include "storage/Failure.h"
#include "storage/TariffTable.h"

#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(Billing)

class TestTariffTable : public QObject {
    Q_OBJECT
private slots:
    // Missing, or empty as a power loss while it was made leaves it: a new database.
    void createsTheSchemaWhenMissing_data() {
        QTest::addColumn<bool>("empty");
        QTest::newRow("missing") << false;
        QTest::newRow("empty") << true;
    }
    void createsTheSchemaWhenMissing() {
        QFETCH(bool, empty);
        QTemporaryDir dir;
        const QString path = dir.filePath("tarif.db");
        if (empty)
            WriteFile(path, "");
        { TariffTable table(dir.path()); }
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"2"});
        QCOMPARE(RawSql(path, "SELECT sql FROM sqlite_master WHERE name='tariff'"),
                 QStringList{"CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, "
                             "WrN TEXT, WrK TEXT, Cost REAL, Days TEXT NOT NULL DEFAULT '')"});
        QCOMPARE(RawSql(path, "SELECT Unit || ' ' || Fee || ' ' || Minimum FROM billing"),
                 QStringList{"1 0.0 0.0"});
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
        const TariffTable::Mark before = table.Now();
        table.Update(id, {Ms(9, 0, 0), std::nullopt, 0.75});
        QVERIFY(table.Now() != before); // a reader of the mark reads again
        QCOMPARE(table.ReadAll().front().period, (TariffPeriod{Ms(9, 0, 0), std::nullopt, 0.75}));
        table.Remove(id);
        QVERIFY(table.ReadAll().empty());
        QCOMPARE(changed.count(), 2);
        // Deleted meanwhile: told, and not made again behind the user's back.
        QVERIFY(QFile::remove(table.FilePath()));
        const QString message = FailureOf([&] { table.ReadAll(); });
        QVERIFY2(message.contains("удалён во время работы программы"), qPrintable(message));
        QVERIFY(!QFileInfo::exists(table.FilePath()));
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

    void daysAreStoredInOrder() {
        QTemporaryDir dir;
        TariffTable table(dir.path());
        const qint64 id = table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20, "54321"});
        QCOMPARE(table.ReadAll().front().period.days, QStringLiteral("12345"));
        table.Update(id, {Ms(8, 0, 0), Ms(20, 0, 0), 20, "1234567"});
        QCOMPARE(RawSql(table.FilePath(), "SELECT '[' || Days || ']' FROM tariff"),
                 QStringList{"[]"});
    }

    void aFirstVersionFileIsUpgradedAfterACopy() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tarif.db");
        RawSql(path, "CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, WrN TEXT, WrK "
                     "TEXT, Cost REAL); INSERT INTO tariff(WrN, WrK, Cost) VALUES "
                     "('08:00:00.000', '20:00:00.000', 20), (NULL, '06:00:00.000', NULL);"
                     "PRAGMA user_version = 1");
        const QStringList before = RawSql(path, "SELECT id||' '||ifnull(WrN,'-')||' '||WrK||' '||"
                                                "ifnull(Cost,'-') FROM tariff");
        TariffTable table(dir.path());
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"2"});
        QCOMPARE(RawSql(path, "SELECT id||' '||ifnull(WrN,'-')||' '||WrK||' '||ifnull(Cost,'-') "
                              "FROM tariff"),
                 before);
        QCOMPARE(RawSql(path, "SELECT count(*) FROM tariff WHERE Days = ''"), QStringList{"2"});
        QCOMPARE(table.ReadBilling(), Billing{});
        QVERIFY(table.ReadHolidays().empty());
        const QStringList copies =
            QDir(dir.filePath("backup")).entryList({"tarif-v1-*.db"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString copy = dir.filePath("backup/" + copies.front());
        QCOMPARE(RawSql(copy, "PRAGMA user_version"), QStringList{"1"});
        QCOMPARE(RawSql(copy, "SELECT id||' '||ifnull(WrN,'-')||' '||WrK||' '||ifnull(Cost,'-') "
                              "FROM tariff"),
                 before);
        // The same file opened again is not copied again.
        { TariffTable again(dir.path()); }
        QCOMPARE(QDir(dir.filePath("backup")).entryList(QDir::Files).size(), 1);
    }

    // Written by hand with what the program never writes: told on reading, never changed.
    // The lookup leaves out only that row (the terms: the defaults) and prices with the rest.
    void badTextsInASecondVersionFile_data() {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("rate"); // the rest give
        QTest::addColumn<Billing>("terms");
        const Billing set{60, 0.5, 0};
        QTest::newRow("day 8") << QByteArray("UPDATE tariff SET Days = '158' WHERE id = 2")
                               << "№ 2 дни недели"
                               << "5" << set;
        QTest::newRow("a day twice")
            << QByteArray("UPDATE tariff SET Days = '11' WHERE id = 2") << "дни недели"
            << "5" << set;
        QTest::newRow("words") << QByteArray("UPDATE tariff SET Days = 'пн-пт' WHERE id = 2")
                               << "«пн-пт»"
                               << "5" << set;
        QTest::newRow("price beyond any sum")
            << QByteArray("UPDATE tariff SET Cost = 1e300 WHERE id = 2") << "№ 2 цена"
            << "5" << set;
        QTest::newRow("price as the text NaN")
            << QByteArray("UPDATE tariff SET Cost = 'NaN' WHERE id = 2") << "«NaN»"
            << "5" << set;
        QTest::newRow("negative price")
            << QByteArray("UPDATE tariff SET Cost = -20 WHERE id = 2") << "«-20.0»"
            << "5" << set;
        QTest::newRow("step 0")
            << QByteArray("PRAGMA ignore_check_constraints = 1; UPDATE billing SET Unit = 0")
            << "шаг «0»"
            << "20" << Billing{};
        QTest::newRow("step of two hours")
            << QByteArray("PRAGMA ignore_check_constraints = 1; UPDATE billing SET Unit = 7200")
            << "шаг «7200»"
            << "20" << Billing{};
        QTest::newRow("negative fee") << QByteArray("UPDATE billing SET Fee = -1") << "«-1.0»"
                                      << "20" << Billing{};
        QTest::newRow("minimum in words")
            << QByteArray("UPDATE billing SET Minimum = 'много'") << "«много»"
            << "20" << Billing{};
        QTest::newRow("holiday weekday 9")
            << QByteArray("PRAGMA ignore_check_constraints = 1; "
                          "INSERT INTO holiday VALUES('2026-12-31', 9)")
            << "праздник"
            << "20" << set;
        QTest::newRow("holiday date")
            << QByteArray("INSERT INTO holiday VALUES('31.12.2026', 7)") << "«31.12.2026»"
            << "20" << set;
    }
    void badTextsInASecondVersionFile() {
        QFETCH(QByteArray, sql);
        QFETCH(QString, reason);
        QFETCH(QString, rate);
        QFETCH(Billing, terms);
        QTemporaryDir dir;
        {
            TariffTable table(dir.path());
            table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 5, ""});
            table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20, "12345"});
            table.SetBilling({60, 0.5, 0});
            table.SetHoliday({QDate(2026, 12, 7), 1}); // a good one, kept beside a bad one
        }
        const QString path = dir.filePath("tarif.db");
        RawSql(path, sql.constData());
        const QByteArray before = FileDigest(path);
        TariffTable table(dir.path());
        const QString message = FailureOf([&] {
            table.ReadAll();
            table.ReadHolidays();
            table.ReadBilling();
        });
        for (const QString& word : reason.split(' '))
            QVERIFY2(message.contains(word), qPrintable(message));
        QVERIFY2(message.contains(path), qPrintable(message));

        FakeClock clock;
        clock.Set(QDate(2026, 12, 8), 9, 0, 0); // a Tuesday
        TariffBook book(clock);
        book.SetTable(&table);
        for (int look = 0; look < 2; ++look) { // told at every look until mended
            try {
                book.LookupRate();
                QFAIL("a row written wrong was not told");
            } catch (const RateLookupFailure& failure) {
                QVERIFY2(failure.message().contains(reason.split(' ').last()),
                         qPrintable(failure.message()));
                QCOMPARE(failure.fallback, rate);
            }
        }
        QCOMPARE(book.Terms(), terms);
        QStringList setAside;
        const auto holidays = table.ReadHolidays(&setAside);
        QCOMPARE(holidays, (std::vector<Holiday>{{QDate(2026, 12, 7), 1}}));
        QCOMPARE(FileDigest(path), before);
    }

    void billingOutOfRangeStoresNothing_data() {
        QTest::addColumn<Billing>("billing");
        QTest::newRow("step 0") << Billing{0, 0, 0};
        QTest::newRow("step 3601") << Billing{3601, 0, 0};
        QTest::newRow("negative fee") << Billing{60, -0.5, 0};
        QTest::newRow("negative minimum") << Billing{60, 0, -1};
        QTest::newRow("fee not a number") << Billing{60, std::nan(""), 0};
    }
    void billingOutOfRangeStoresNothing() {
        QFETCH(Billing, billing);
        QTemporaryDir dir;
        TariffTable table(dir.path());
        table.SetBilling({30, 1, 2});
        QVERIFY_THROWS_EXCEPTION(Failure, table.SetBilling(billing));
        QCOMPARE(table.ReadBilling(), (Billing{30, 1, 2}));
    }

    void holidays() {
        QTemporaryDir dir;
        TariffTable table(dir.path());
        QSignalSpy changed(&table, &TariffTable::Changed);
        table.SetHoliday({QDate(2027, 1, 7)});
        table.SetHoliday({QDate(2026, 12, 26), 1});
        table.SetHoliday({QDate(2027, 1, 7), 6}); // the same date: its weekday changes
        QCOMPARE(table.ReadHolidays(),
                 (std::vector<Holiday>{{QDate(2026, 12, 26), 1}, {QDate(2027, 1, 7), 6}}));
        table.RemoveHoliday(QDate(2026, 12, 26));
        QCOMPARE(table.ReadHolidays(), (std::vector<Holiday>{{QDate(2027, 1, 7), 6}}));
        QVERIFY_THROWS_EXCEPTION(Failure, table.SetHoliday({QDate(2027, 1, 8), 0}));
        QCOMPARE(changed.count(), 4);
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
