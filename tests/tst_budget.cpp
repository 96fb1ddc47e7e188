#include "TestFiles.h"
#include "settings/ProgramSettings.h"
#include "spend/BillingPeriod.h"
#include "spend/Budget.h"

#include <QtTest>

// Billing periods that begin on any day from 1 to 28, across month and year ends, February
// and leap years; the forecast; the budget's keys in kelvora.ini.
class TestBudget : public QObject {
    Q_OBJECT
private slots:
    void period_data() {
        QTest::addColumn<int>("startDay");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        const auto d = [](int y, int m, int day) {
            return QDate(y, m, day);
        };
        // start 1: calendar months
        QTest::newRow("1: first day") << 1 << d(2026, 12, 1) << d(2026, 12, 1) << d(2026, 12, 31);
        QTest::newRow("1: last day") << 1 << d(2026, 12, 31) << d(2026, 12, 1) << d(2026, 12, 31);
        QTest::newRow("1: February") << 1 << d(2027, 2, 14) << d(2027, 2, 1) << d(2027, 2, 28);
        QTest::newRow("1: leap February") << 1 << d(2028, 2, 29) << d(2028, 2, 1) << d(2028, 2, 29);
        // start 15:   [15 Dec ------------ 14 Jan]
        QTest::newRow("15: the day itself")
            << 15 << d(2026, 12, 15) << d(2026, 12, 15) << d(2027, 1, 14);
        QTest::newRow("15: the day before")
            << 15 << d(2026, 12, 14) << d(2026, 11, 15) << d(2026, 12, 14);
        QTest::newRow("15: across the year end")
            << 15 << d(2027, 1, 1) << d(2026, 12, 15) << d(2027, 1, 14);
        QTest::newRow("15: through February")
            << 15 << d(2027, 3, 1) << d(2027, 2, 15) << d(2027, 3, 14);
        QTest::newRow("15: leap February")
            << 15 << d(2028, 2, 29) << d(2028, 2, 15) << d(2028, 3, 14);
        QTest::newRow("15: first of January")
            << 15 << d(2027, 1, 14) << d(2026, 12, 15) << d(2027, 1, 14);
        // start 28: February holds it in every year
        QTest::newRow("28: 28 February")
            << 28 << d(2027, 2, 28) << d(2027, 2, 28) << d(2027, 3, 27);
        QTest::newRow("28: 27 February")
            << 28 << d(2027, 2, 27) << d(2027, 1, 28) << d(2027, 2, 27);
        QTest::newRow("28: leap 29 February")
            << 28 << d(2028, 2, 29) << d(2028, 2, 28) << d(2028, 3, 27);
        QTest::newRow("28: 31 December")
            << 28 << d(2026, 12, 31) << d(2026, 12, 28) << d(2027, 1, 27);
        QTest::newRow("28: 1 January") << 28 << d(2027, 1, 1) << d(2026, 12, 28) << d(2027, 1, 27);
        QTest::newRow("28: 31 March") << 28 << d(2027, 3, 31) << d(2027, 3, 28) << d(2027, 4, 27);
        // out of range: taken into 1..28
        QTest::newRow("0 counts as 1") << 0 << d(2026, 12, 5) << d(2026, 12, 1) << d(2026, 12, 31);
        QTest::newRow("31 counts as 28")
            << 31 << d(2026, 12, 30) << d(2026, 12, 28) << d(2027, 1, 27);
    }
    void period() {
        QFETCH(int, startDay);
        QFETCH(QDate, day);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        const BillingPeriod p = BillingPeriod::Containing(day, startDay);
        QCOMPARE(p.first, first);
        QCOMPARE(p.last, last);
        QVERIFY(p.Contains(day));
        QCOMPARE(p.Days(), int(first.daysTo(last)) + 1);
        // Neighbours touch without a gap or an overlap, and are the periods of their days.
        QCOMPARE(p.Previous().last.addDays(1), p.first);
        QCOMPARE(p.Next().first, p.last.addDays(1));
        QCOMPARE(p.Previous(), BillingPeriod::Containing(p.first.addDays(-1), startDay));
        QCOMPARE(p.Next(), BillingPeriod::Containing(p.last.addDays(1), startDay));
        QCOMPARE(p.Next().Previous(), p);
    }

    // Twelve steps back and forth from any start day come back to the same period, and
    // every day of three years lies in exactly the period that Containing gives.
    void stepsCoverEveryDay() {
        for (int start : {1, 15, 28}) {
            BillingPeriod p = BillingPeriod::Containing(QDate(2027, 1, 1), start);
            const BillingPeriod begin = p;
            for (int i = 0; i < 36; ++i) {
                for (QDate day = p.first; day <= p.last; day = day.addDays(1))
                    QCOMPARE(BillingPeriod::Containing(day, start), p);
                QVERIFY(p.Days() >= 28 && p.Days() <= 31);
                p = p.Next();
            }
            for (int i = 0; i < 36; ++i)
                p = p.Previous();
            QCOMPARE(p, begin);
        }
    }

    void forecast_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<double>("spent");
        QTest::addColumn<double>("forecast");
        // period 1..30 April 2027 (30 days)
        QTest::newRow("first day counts whole") << QDate(2027, 4, 1) << 10.0 << 300.0;
        QTest::newRow("ten days of 100") << QDate(2027, 4, 10) << 100.0 << 300.0;
        QTest::newRow("last day: what was spent") << QDate(2027, 4, 30) << 123.0 << 123.0;
        QTest::newRow("over: what was spent") << QDate(2027, 6, 1) << 77.0 << 77.0;
        QTest::newRow("not begun") << QDate(2027, 3, 31) << 0.0 << 0.0;
    }
    void forecast() {
        QFETCH(QDate, today);
        QFETCH(double, spent);
        QFETCH(double, forecast);
        const BillingPeriod april{QDate(2027, 4, 1), QDate(2027, 4, 30)};
        QCOMPARE(Forecast(spent, april, today), forecast);
    }

    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("startDay");
        QTest::addColumn<double>("money");
        QTest::addColumn<double>("hours");
        QTest::addColumn<QString>("alerts");
        QTest::addColumn<int>("problems");
        QTest::newRow("nothing: defaults") << QByteArray() << 1 << 0.0 << 0.0 << "80,100" << 0;
        QTest::newRow("all four")
            << QByteArray("[Period]\nStartDay=15\n[Budget]\nMoney=500\nTime=40\nAlerts=50,90,100\n")
            << 15 << 500.0 << 40.0 << "50,90,100" << 0;
        QTest::newRow("quoted alerts, blanks, out of order")
            << QByteArray("[Budget]\nAlerts=\" 100, 80 ,80\"\n") << 1 << 0.0 << 0.0 << "80,100"
            << 0;
        QTest::newRow("decimal comma in money")
            << QByteArray("[Budget]\nMoney=\"312,50\"\n") << 1 << 312.5 << 0.0 << "80,100" << 0;
        QTest::newRow("start day 29: said, 1 stands")
            << QByteArray("[Period]\nStartDay=29\n") << 1 << 0.0 << 0.0 << "80,100" << 1;
        QTest::newRow("negative money, words for time: both said")
            << QByteArray("[Budget]\nMoney=-5\nTime=lots\n") << 1 << 0.0 << 0.0 << "80,100" << 2;
        QTest::newRow("a money budget of 1e-300 and one of 1e300 hours: said, none stands")
            << QByteArray("[Budget]\nMoney=1e-300\nTime=1e300\n") << 1 << 0.0 << 0.0 << "80,100"
            << 2;
        QTest::newRow("a kopeck and 36 seconds are taken")
            << QByteArray("[Budget]\nMoney=0.01\nTime=\"0,01\"\n") << 1 << 0.01 << 0.01 << "80,100"
            << 0;
        QTest::newRow("thousands apart: a space, a no-break space; alerts by semicolons")
            << QByteArray("[Budget]\nMoney=\"5 000\"\nTime=\"1\xc2\xa0"
                          "000,5\"\nAlerts=\"90;100\"\n")
            << 1 << 5000.0 << 1000.5 << "90,100" << 0;
        QTest::newRow("a space that parts no thousands: said")
            << QByteArray("[Budget]\nMoney=\"50 00\"\nTime=\"1 0000\"\n") << 1 << 0.0 << 0.0
            << "80,100" << 2;
        QTest::newRow("alert of 0: said")
            << QByteArray("[Budget]\nAlerts=0,100\n") << 1 << 0.0 << 0.0 << "80,100" << 1;
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(int, startDay);
        QFETCH(double, money);
        QFETCH(double, hours);
        QFETCH(QString, alerts);
        QFETCH(int, problems);
        QTemporaryDir dir;
        WriteFile(dir.filePath("kelvora.ini"), file);
        ProgramSettings settings(dir.path());
        QCOMPARE(settings.Load(), std::nullopt);
        const BudgetRead read = ReadBudget(settings);
        QCOMPARE(read.budget.startDay, startDay);
        QCOMPARE(read.budget.money, money);
        QCOMPARE(read.budget.hours, hours);
        QCOMPARE(AlertsText(read.budget.alerts), alerts);
        QCOMPARE(read.problems.size(), problems);
        for (const QString& problem : read.problems)
            QVERIFY2(problem.contains("kelvora.ini"), qPrintable(problem));
    }

    void writeAndReadBack() {
        QTemporaryDir dir;
        WriteFile(dir.filePath("kelvora.ini"), "[Link]\nMode=chosen\nInterfaces=ppp0\n");
        ProgramSettings settings(dir.path());
        settings.Load();
        // A traffic budget is written while set, and taken out of the file when unset.
        for (const double mebibytes : {2048.5, 0.0}) {
            const Budget budget{28, 312.5, 40.25, {50, 100, 120}, mebibytes};
            QCOMPARE(SaveBudget(settings, budget), std::nullopt);
            ProgramSettings again(dir.path());
            QCOMPARE(again.Load(), std::nullopt);
            const BudgetRead read = ReadBudget(again);
            QVERIFY(read.problems.isEmpty());
            QCOMPARE(read.budget, budget);
            QCOMPARE(again.Value("Link/Mode").toString(), QString("chosen"));
            QCOMPARE(again.Value("Budget/Traffic").isValid(), mebibytes > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestBudget)
#include "tst_budget.moc"
