#include "Fakes.h"
#include "TestFiles.h"
#include "TimeOfDay.h"
#include "accounting/TariffBook.h"
#include "storage/Decimal.h"
#include "storage/Failure.h"
#include "storage/TariffTable.h"

#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(Billing)
Q_DECLARE_METATYPE(TrafficTerms)

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

    // The traffic terms take a format of the file that the user takes on by setting terms
    // that price something: until then the file stays as it was, byte for byte.
    void trafficTermsTakeTheNewFormatOnDemand_data() {
        QTest::addColumn<TrafficTerms>("terms");
        QTest::addColumn<int>("version");
        QTest::newRow("the defaults") << TrafficTerms{} << 2;
        QTest::newRow("a zero written otherwise") << TrafficTerms{"0,00", 0} << 2;
        QTest::newRow("a price") << TrafficTerms{"0,5", 0} << 3;
        QTest::newRow("a package, nothing priced beyond") << TrafficTerms{"0", 2048} << 3;
        QTest::newRow("a price below a ten-thousandth") << TrafficTerms{"5E-5", 1} << 3;
        QTest::newRow("the largest")
            << TrafficTerms{"999999999999999", TariffTable::MaxPackageMebibytes} << 3;
    }
    void trafficTermsTakeTheNewFormatOnDemand() {
        QFETCH(TrafficTerms, terms);
        QFETCH(int, version);
        QTemporaryDir dir;
        const QString path = dir.filePath("tarif.db");
        { TariffTable(dir.path()).SetBilling({60, 1, 0}); }
        const QByteArray before = FileDigest(path);
        TrafficTerms read = terms; // as the program writes its price
        read.pricePerMebibyte = Decimal::Of(terms.pricePerMebibyte).NumberText();
        {
            TariffTable table(dir.path());
            QCOMPARE(table.ReadTrafficTerms(), TrafficTerms{});
            QSignalSpy changed(&table, &TariffTable::Changed);
            table.SetTrafficTerms(terms);
            QCOMPARE(table.ReadTrafficTerms(), read);
            QCOMPARE(changed.count(), version == 3 ? 1 : 0);
        }
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{QString::number(version)});
        const QDir backup(dir.filePath("backup"));
        const QStringList copies = backup.entryList({"tarif-v2-*.db"}, QDir::Files);
        if (version == 2) {
            QCOMPARE(FileDigest(path), before);
            QVERIFY(copies.isEmpty());
            return;
        }
        QCOMPARE(copies.size(), 1);
        QCOMPARE(RawSql(backup.filePath(copies.front()), "PRAGMA user_version"), QStringList{"2"});
        // Opened again: read as it is; the lookup takes the terms with the billing terms.
        TariffTable again(dir.path());
        QCOMPARE(again.ReadTrafficTerms(), read);
        QCOMPARE(again.ReadBilling(), (Billing{60, 1, 0}));
        FakeClock clock;
        TariffBook book(clock);
        book.SetTable(&again);
        QCOMPARE(book.Traffic(), read);
        // The defaults are stored now as any terms, together with the billing terms; the
        // file keeps its format and is not copied again.
        again.SetTerms({30, 0, 0}, {});
        QCOMPARE(book.LookupRate(), QStringLiteral("0"));
        QCOMPARE(book.Traffic(), TrafficTerms{});
        QCOMPARE(book.Terms(), (Billing{30, 0, 0}));
        QCOMPARE(RawSql(path, "SELECT Price || ' ' || Package FROM traffic"), QStringList{"0 0"});
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"3"});
        QCOMPARE(backup.entryList(QDir::Files).size(), 1);
    }

    // Written by hand with what the program never writes: told on reading, never changed.
    // The lookup leaves out only that row (the terms: the defaults) and prices with the rest.
    // The file holds traffic terms (its later format) in the rows on them.
    void badTextsWrittenByHand_data() {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("rate"); // the rest give
        QTest::addColumn<Billing>("terms");
        QTest::addColumn<TrafficTerms>("traffic"); // those set, or none
        QTest::addColumn<TrafficTerms>("trafficRead");
        const Billing set{60, 0.5, 0};
        const TrafficTerms none;
        const TrafficTerms paid{"0,75", 1024};
        QTest::newRow("day 8") << QByteArray("UPDATE tariff SET Days = '158' WHERE id = 2")
                               << "№ 2 дни недели"
                               << "5" << set << none << none;
        QTest::newRow("a day twice")
            << QByteArray("UPDATE tariff SET Days = '11' WHERE id = 2") << "дни недели"
            << "5" << set << none << none;
        QTest::newRow("words") << QByteArray("UPDATE tariff SET Days = 'пн-пт' WHERE id = 2")
                               << "«пн-пт»"
                               << "5" << set << none << none;
        QTest::newRow("price beyond any sum")
            << QByteArray("UPDATE tariff SET Cost = 1e300 WHERE id = 2") << "№ 2 цена"
            << "5" << set << none << none;
        QTest::newRow("price as the text NaN")
            << QByteArray("UPDATE tariff SET Cost = 'NaN' WHERE id = 2") << "«NaN»"
            << "5" << set << none << none;
        QTest::newRow("negative price")
            << QByteArray("UPDATE tariff SET Cost = -20 WHERE id = 2") << "«-20.0»"
            << "5" << set << none << none;
        QTest::newRow("step 0")
            << QByteArray("PRAGMA ignore_check_constraints = 1; UPDATE billing SET Unit = 0")
            << "шаг «0»"
            << "20" << Billing{} << none << none;
        QTest::newRow("step of two hours")
            << QByteArray("PRAGMA ignore_check_constraints = 1; UPDATE billing SET Unit = 7200")
            << "шаг «7200»"
            << "20" << Billing{} << none << none;
        QTest::newRow("negative fee") << QByteArray("UPDATE billing SET Fee = -1") << "«-1.0»"
                                      << "20" << Billing{} << none << none;
        QTest::newRow("minimum in words")
            << QByteArray("UPDATE billing SET Minimum = 'много'") << "«много»"
            << "20" << Billing{} << none << none;
        QTest::newRow("holiday weekday 9")
            << QByteArray("PRAGMA ignore_check_constraints = 1; "
                          "INSERT INTO holiday VALUES('2026-12-31', 9)")
            << "праздник"
            << "20" << set << none << none;
        QTest::newRow("holiday date")
            << QByteArray("INSERT INTO holiday VALUES('31.12.2026', 7)") << "«31.12.2026»"
            << "20" << set << none << none;
        QTest::newRow("traffic price with a point")
            << QByteArray("UPDATE traffic SET Price = '0.75'") << "трафика «0.75»"
            << "20" << set << paid << none;
        QTest::newRow("traffic price negative")
            << QByteArray("UPDATE traffic SET Price = '-1'") << "цена «-1»"
            << "20" << set << paid << none;
        QTest::newRow("traffic price of 10^15")
            << QByteArray("UPDATE traffic SET Price = '1E15'") << "«1E15»"
            << "20" << set << paid << none;
        QTest::newRow("package negative")
            << QByteArray("UPDATE traffic SET Package = -5") << "пакет «-5»"
            << "20" << set << paid << none;
        QTest::newRow("package of 2^44 MB")
            << QByteArray("UPDATE traffic SET Package = 17592186044416") << "«17592186044416»"
            << "20" << set << paid << none;
        QTest::newRow("package in parts")
            << QByteArray("UPDATE traffic SET Package = 1.5") << "«1.5»"
            << "20" << set << paid << none;
        QTest::newRow("a bad row beside good traffic terms")
            << QByteArray("UPDATE tariff SET Days = '0' WHERE id = 2") << "дни"
            << "5" << set << paid << paid;
    }
    void badTextsWrittenByHand() {
        QFETCH(QByteArray, sql);
        QFETCH(QString, reason);
        QFETCH(QString, rate);
        QFETCH(Billing, terms);
        QFETCH(TrafficTerms, traffic);
        QFETCH(TrafficTerms, trafficRead);
        QTemporaryDir dir;
        {
            TariffTable table(dir.path());
            table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 5, ""});
            table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20, "12345"});
            table.SetBilling({60, 0.5, 0});
            table.SetHoliday({QDate(2026, 12, 7), 1}); // a good one, kept beside a bad one
            table.SetTrafficTerms(traffic);
        }
        const QString path = dir.filePath("tarif.db");
        RawSql(path, sql.constData());
        const QByteArray before = FileDigest(path);
        TariffTable table(dir.path());
        const QString message = FailureOf([&] {
            table.ReadAll();
            table.ReadHolidays();
            table.ReadBilling();
            table.ReadTrafficTerms();
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
        QCOMPARE(book.Traffic(), trafficRead);
        QStringList setAside;
        const auto holidays = table.ReadHolidays(&setAside);
        QCOMPARE(holidays, (std::vector<Holiday>{{QDate(2026, 12, 7), 1}}));
        QCOMPARE(FileDigest(path), before);
    }

    // Refused whole: neither the billing nor the traffic terms change, nor the file's format.
    void termsOutOfRangeStoreNothing_data() {
        QTest::addColumn<Billing>("billing");
        QTest::addColumn<TrafficTerms>("traffic");
        const Billing sound{30, 1, 2};
        QTest::newRow("step 0") << Billing{0, 0, 0} << TrafficTerms{};
        QTest::newRow("step 3601") << Billing{3601, 0, 0} << TrafficTerms{};
        QTest::newRow("negative fee") << Billing{60, -0.5, 0} << TrafficTerms{"1", 1};
        QTest::newRow("negative minimum") << Billing{60, 0, -1} << TrafficTerms{};
        QTest::newRow("fee not a number") << Billing{60, std::nan(""), 0} << TrafficTerms{};
        QTest::newRow("traffic price negative") << sound << TrafficTerms{"-0,5", 0};
        QTest::newRow("traffic price with a point") << sound << TrafficTerms{"0.5", 0};
        QTest::newRow("traffic price of 10^15") << sound << TrafficTerms{"1E15", 0};
        QTest::newRow("package past the largest")
            << sound << TrafficTerms{"0", TariffTable::MaxPackageMebibytes + 1};
    }
    void termsOutOfRangeStoreNothing() {
        QFETCH(Billing, billing);
        QFETCH(TrafficTerms, traffic);
        QTemporaryDir dir;
        TariffTable table(dir.path());
        table.SetBilling({30, 1, 2});
        const QByteArray before = FileDigest(table.FilePath());
        QVERIFY_THROWS_EXCEPTION(Failure, table.SetTerms(billing, traffic));
        if (billing == Billing{30, 1, 2})
            QVERIFY_THROWS_EXCEPTION(Failure, table.SetTrafficTerms(traffic));
        else
            QVERIFY_THROWS_EXCEPTION(Failure, table.SetBilling(billing));
        QCOMPARE(table.ReadBilling(), (Billing{30, 1, 2}));
        QCOMPARE(table.ReadTrafficTerms(), TrafficTerms{});
        QCOMPARE(FileDigest(table.FilePath()), before);
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
