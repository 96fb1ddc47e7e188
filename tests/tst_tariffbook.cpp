#include "TestFiles.h"
#include "TimeOfDay.h"
#include "accounting/TariffBook.h"
#include "storage/DateTimeValue.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"
#include "storage/Weekdays.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {
double Days(int h, int m, int s, int ms = 0) {
    return DateTimeValue::FromMsecs(Ms(h, m, s, ms));
}
TariffRow Period(std::optional<int> from, std::optional<int> to, std::optional<double> cost) {
    return {0, {from, to, cost}};
}
const QDate Day(2026, 12, 7);
} // namespace

using Rows = std::vector<TariffRow>;
Q_DECLARE_METATYPE(Rows)
Q_DECLARE_METATYPE(Segment)
Q_DECLARE_METATYPE(SessionRecord)

class TestTariffBook : public QObject {
    Q_OBJECT
private slots:
    void charge_data() {
        QTest::addColumn<double>("duration");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("charge");
        QTest::newRow("hour and a half") << Days(1, 30, 0) << "20"
                                         << "30";
        QTest::newRow("with seconds") << Days(1, 30, 30) << "20"
                                      << "30,1666666666667";
        QTest::newRow("ten minutes") << Days(0, 10, 0) << "20"
                                     << "3,33333333333333";
        QTest::newRow("one second") << Days(0, 0, 1) << "20"
                                    << "0,00555555555555556";
        QTest::newRow("every part") << Days(2, 5, 7) << "15"
                                    << "31,2791666666667";
        QTest::newRow("two-digit hours, fractional rate") << Days(12, 0, 0) << "10,5"
                                                          << "126";
        QTest::newRow("free") << Days(0, 45, 0) << "0"
                              << "0";
        QTest::newRow("ten hours") << Days(10, 0, 0) << "1"
                                   << "10";
        QTest::newRow("25 hours charged as one") << Days(25, 0, 0) << "20"
                                                 << "20";
        QTest::newRow("under a second") << Days(0, 0, 0, 900) << "20"
                                        << "0";
        QTest::newRow("rate with blanks") << Days(1, 0, 0) << " 20 "
                                          << "20";
        // The partials are added hours, minutes, seconds, in extended precision: these two
        // come out otherwise in the 15th digit when added in another order or in double.
        QTest::newRow("partials order, 0:02:01") << Days(0, 2, 1) << "20"
                                                 << "0,672222222222223";
        QTest::newRow("partials order, 0:25:17") << Days(0, 25, 17) << "20"
                                                 << "8,42777777777777";
    }
    void charge() {
        QFETCH(double, duration);
        QFETCH(QString, rate);
        QFETCH(QString, charge);
        QCOMPARE(TariffBook::SessionCharge(duration, rate), charge);
    }

    void chargeWithRateThatIsNoNumber() {
        QVERIFY_THROWS_EXCEPTION(Failure, TariffBook::SessionCharge(Days(1, 0, 0), "двадцать"));
    }

    void duration_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("endDayOffset");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("same day") << Ms(9, 15, 0) << 0 << Ms(10, 45, 30) << "1:30:30";
        QTest::newRow("across midnight") << Ms(23, 30, 0) << 1 << Ms(0, 30, 0) << "1:00:00";
        QTest::newRow("last second") << Ms(23, 59, 59) << 1 << Ms(0, 0, 0) << "0:00:01";
        QTest::newRow("empty") << Ms(12, 0, 0) << 0 << Ms(12, 0, 0) << "0:00:00";
        QTest::newRow("milliseconds") << Ms(9, 0, 0, 700) << 0 << Ms(9, 0, 1, 600) << "0:00:00";
    }
    void duration() {
        QFETCH(int, start);
        QFETCH(int, endDayOffset);
        QFETCH(int, end);
        QFETCH(QString, text);
        const double d =
            TariffBook::SessionDuration(Day, DateTimeValue::FromMsecs(start),
                                        Day.addDays(endDayOffset), DateTimeValue::FromMsecs(end));
        QCOMPARE(TextForms::TimeText(d), text);
    }

    void lookup_data() {
        QTest::addColumn<Rows>("rows"); // newest first, as the table keeps them
        QTest::addColumn<int>("now");
        QTest::addColumn<QString>("rate");
        const Rows day{Period(Ms(8, 0, 0), Ms(20, 0, 0), 20)};
        // day        [08:00 ------- 20:00]
        QTest::newRow("start inclusive") << day << Ms(8, 0, 0) << "20";
        QTest::newRow("before start") << day << Ms(7, 59, 59, 999) << "0";
        QTest::newRow("end inclusive to the ms") << day << Ms(20, 0, 0) << "20";
        QTest::newRow("a ms after end") << day << Ms(20, 0, 0, 1) << "0";
        QTest::newRow("empty table") << Rows{} << Ms(12, 0, 0) << "0";

        // morning             [08:00 -- 12:00]     (added later, first in order)
        // night   [00:00 -- 08:00]
        const Rows shared{Period(Ms(8, 0, 0), Ms(12, 0, 0), 5), Period(0, Ms(8, 0, 0), 3)};
        QTest::newRow("shared boundary: first in order") << shared << Ms(8, 0, 0) << "5";
        QTest::newRow("shared boundary: before") << shared << Ms(7, 59, 59) << "3";

        // night ---- 06:00]                 [22:00 ----   (start later than end)
        const Rows night{Period(Ms(22, 0, 0), Ms(6, 0, 0), 2.5)};
        QTest::newRow("across midnight, evening") << night << Ms(23, 0, 0) << "2,5";
        QTest::newRow("across midnight, morning") << night << Ms(3, 0, 0) << "2,5";
        QTest::newRow("across midnight, at midnight") << night << 0 << "2,5";
        QTest::newRow("across midnight, end") << night << Ms(6, 0, 0) << "2,5";
        QTest::newRow("across midnight, after end") << night << Ms(6, 0, 0, 1) << "0";
        QTest::newRow("across midnight, before start") << night << Ms(21, 59, 59, 999) << "0";
        QTest::newRow("across midnight, start") << night << Ms(22, 0, 0) << "2,5";

        // The day covered to 23:59:59 leaves the last part of the last second uncovered.
        const Rows advised{Period(Ms(8, 0, 0), Ms(23, 59, 59), 10), Period(0, Ms(8, 0, 0), 4)};
        QTest::newRow("last second uncovered") << advised << Ms(23, 59, 59, 1) << "0";
        QTest::newRow("last covered moment") << advised << Ms(23, 59, 59) << "10";

        const Rows holes{Period(Ms(8, 0, 0), Ms(20, 0, 0), std::nullopt),
                         Period(std::nullopt, Ms(20, 0, 0), 7),
                         Period(Ms(8, 0, 0), std::nullopt, 8), Period(0, Ms(23, 0, 0), 9)};
        QTest::newRow("empty cells never match") << holes << Ms(12, 0, 0) << "9";
        QTest::newRow("price as number text")
            << Rows{Period(0, Ms(23, 0, 0), 0.75)} << Ms(1, 0, 0) << "0,75";
        QTest::newRow("free period") << Rows{Period(0, Ms(23, 0, 0), 0)} << Ms(1, 0, 0) << "0";

        // A period whose start equals its end holds that one moment, not the whole day.
        const Rows instant{Period(Ms(12, 0, 0), Ms(12, 0, 0), 6)};
        QTest::newRow("start equals end, at it") << instant << Ms(12, 0, 0) << "6";
        QTest::newRow("start equals end, after") << instant << Ms(12, 0, 0, 1) << "0";
        QTest::newRow("start equals end, the day") << instant << Ms(3, 0, 0) << "0";
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("an infinite price never matches")
            << Rows{Period(0, Ms(23, 0, 0), inf), Period(0, Ms(23, 0, 0), 5)} << Ms(1, 0, 0) << "5";
        QTest::newRow("a price that is no number never matches")
            << Rows{Period(0, Ms(23, 0, 0), std::nan("")), Period(0, Ms(23, 0, 0), 5)}
            << Ms(1, 0, 0) << "5";
    }
    void lookup() {
        QFETCH(Rows, rows);
        QFETCH(int, now);
        QFETCH(QString, rate);
        QCOMPARE(TariffBook::LookupRate(rows, now), rate);
    }

    // Periods with days, and holidays priced as another weekday. 11 Dec 2026 is a Friday.
    //   night 22:00-6:00, Fri only       ---]            [---   (both ends of Friday)
    //   weekdays 8:00-20:00 at 20           [-------]
    //   weekend all day at 5            [-------------------]
    void weekdays_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("now");
        QTest::addColumn<QString>("rate");
        const QDate fri(2026, 12, 11), sat(2026, 12, 12), mon(2026, 12, 14), thu(2026, 12, 10);
        QTest::newRow("Friday night, late") << fri << Ms(23, 0, 0) << "3";
        QTest::newRow("Friday night, early") << fri << Ms(5, 0, 0) << "3";
        QTest::newRow("Saturday early is not Friday night") << sat << Ms(5, 0, 0) << "5";
        QTest::newRow("Thursday night is no one's") << thu << Ms(23, 0, 0) << "0";
        QTest::newRow("weekday") << mon << Ms(9, 0, 0) << "20";
        QTest::newRow("weekday at the end, inclusive") << mon << Ms(20, 0, 0) << "20";
        QTest::newRow("weekday after the end") << mon << Ms(20, 0, 0, 1) << "0";
        QTest::newRow("Saturday") << sat << Ms(9, 0, 0) << "5";
        QTest::newRow("holiday Monday priced as Sunday")
            << QDate(2026, 12, 28) << Ms(9, 0, 0) << "5";
        QTest::newRow("working Saturday priced as Monday")
            << QDate(2026, 12, 26) << Ms(9, 0, 0) << "20";
        QTest::newRow("holiday Friday night priced as Sunday")
            << QDate(2027, 1, 1) << Ms(23, 0, 0) << "5";
    }
    void weekdays() {
        QFETCH(QDate, date);
        QFETCH(int, now);
        QFETCH(QString, rate);
        const Rows rows{{3, {Ms(22, 0, 0), Ms(6, 0, 0), 3, "5"}},
                        {2, {Ms(8, 0, 0), Ms(20, 0, 0), 20, "12345"}},
                        {1, {Ms(0, 0, 0), Ms(23, 59, 59, 999), 5, "67"}}};
        const std::vector<Holiday> holidays{
            {QDate(2026, 12, 26), 1}, {QDate(2026, 12, 28), 7}, {QDate(2027, 1, 1)}};
        QCOMPARE(TariffBook::LookupRate(rows, holidays, date, now), rate);
    }

    // The watch sees a change of weekday as any change of rate, through the table.
    void lookupReadsDaysAndHolidaysFromTheFile() {
        struct : Clock {
            LocalMoment Now() const override { return now; }
            qint64 MonotonicMsecs() const override { return 0; }
            LocalMoment now{QDate(2026, 12, 11), Ms(12, 0, 0)};
        } clock;
        QTemporaryDir dir;
        TariffTable table(dir.path());
        table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 5, "67"});
        table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 20, "12345"});
        table.SetBilling({60, 1.5, 0});
        TariffBook book(clock);
        book.SetTable(&table);
        QCOMPARE(book.LookupRate(), QStringLiteral("20"));
        QCOMPARE(book.Terms(), (Billing{60, 1.5, 0}));
        clock.now.date = QDate(2026, 12, 12);
        QCOMPARE(book.LookupRate(), QStringLiteral("5"));
        table.SetHoliday({QDate(2026, 12, 12), 5});
        QCOMPARE(book.LookupRate(), QStringLiteral("20"));
    }

    void dayTexts_data() {
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("normal"); // "!" for refused
        QTest::addColumn<QString>("shown");
        QTest::newRow("every day") << ""
                                   << ""
                                   << "все";
        QTest::newRow("all seven") << "7654321"
                                   << ""
                                   << "все";
        QTest::newRow("working days") << "12345"
                                      << "12345"
                                      << "пн–пт";
        QTest::newRow("weekend") << "76"
                                 << "67"
                                 << "сб, вс";
        QTest::newRow("mixed") << "1345"
                               << "1345"
                               << "пн, ср–пт";
        QTest::newRow("one day") << "3"
                                 << "3"
                                 << "ср";
        QTest::newRow("zero") << "0"
                              << "!"
                              << "";
        QTest::newRow("eight") << "18"
                               << "!"
                               << "";
        QTest::newRow("twice") << "11"
                               << "!"
                               << "";
        QTest::newRow("blank") << "1 2"
                               << "!"
                               << "";
        QTest::newRow("words") << "пн"
                               << "!"
                               << "";
    }
    void dayTexts() {
        QFETCH(QString, days);
        QFETCH(QString, normal);
        QFETCH(QString, shown);
        const auto n = Weekdays::Normal(days);
        QCOMPARE(n.value_or("!"), normal);
        if (n)
            QCOMPARE(Weekdays::ShortText(*n), shown);
    }

    void lookupWithoutTableIsFree() {
        struct : Clock {
            LocalMoment Now() const override { return {Day, Ms(12, 0, 0)}; }
            qint64 MonotonicMsecs() const override { return 0; }
        } clock;
        TariffBook book(clock);
        QCOMPARE(book.LookupRate(), QStringLiteral("0"));
    }

    void record_data() {
        QTest::addColumn<Segment>("segment");
        QTest::addColumn<SessionRecord>("record");
        QTest::newRow("worked example")
            << Segment{Day, Ms(9, 15, 0), Day, Ms(10, 45, 30), "20"}
            << SessionRecord{Day, "9:15:00", "10:45:30", "1:30:30", "20", "30,1666666666667"};
        QTest::newRow("across midnight keeps the start date")
            << Segment{Day, Ms(23, 30, 0), Day.addDays(1), Ms(0, 30, 0), "20"}
            << SessionRecord{Day, "23:30:00", "0:30:00", "1:00:00", "20", "20"};
        QTest::newRow("milliseconds dropped")
            << Segment{Day, Ms(0, 0, 0, 999), Day, Ms(13, 0, 0, 5), "0"}
            << SessionRecord{Day, "0:00:00", "13:00:00", "12:59:59", "0", "0"};
    }
    void record() {
        QFETCH(Segment, segment);
        QFETCH(SessionRecord, record);
        QCOMPARE(TariffBook::RecordOf(segment), record);
    }

    // A tariff file that cannot be read, replaced or deleted while the program runs: the
    // periods read last still give the rate (the failure says so), a file put in its place
    // is read from then on.
    void lookupFollowsTheFileOnDisk() {
        struct : Clock {
            LocalMoment Now() const override { return {Day, Ms(12, 0, 0)}; }
            qint64 MonotonicMsecs() const override { return 0; }
        } clock;
        QTemporaryDir dir, elsewhere;
        {
            TariffTable other(elsewhere.path());
            other.Add({Ms(0, 0, 0), Ms(23, 59, 59), 240});
        }
        TariffTable table(dir.path());
        table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 20});
        TariffBook book(clock);
        book.SetTable(&table);
        QCOMPARE(book.LookupRate(), QStringLiteral("20"));

        // Another program writing the file does not hold up reading it.
        sqlite3* writer = nullptr;
        sqlite3_open(table.FilePath().toUtf8().constData(), &writer);
        sqlite3_exec(writer, "BEGIN EXCLUSIVE; DELETE FROM tariff", nullptr, nullptr, nullptr);
        QCOMPARE(book.LookupRate(), QStringLiteral("20"));
        sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
        // What another program commits counts from the next lookup, and so does a write
        // through the table itself.
        sqlite3_exec(writer, "UPDATE tariff SET Cost = 30", nullptr, nullptr, nullptr);
        QCOMPARE(book.LookupRate(), QStringLiteral("30"));
        table.Update(table.ReadAll().front().id, {Ms(0, 0, 0), Ms(23, 59, 59), 20});
        QCOMPARE(book.LookupRate(), QStringLiteral("20"));
        sqlite3_close(writer);

        // Replaced by something that is no tariff file: told, with the rate read last.
        WriteFile(elsewhere.filePath("garbage"), "not a database at all, not at all....");
        QVERIFY(::rename(QFile::encodeName(elsewhere.filePath("garbage")).constData(),
                         QFile::encodeName(table.FilePath()).constData()) == 0);
        QString fallback;
        try {
            book.LookupRate();
        } catch (const RateLookupFailure& failure) {
            fallback = failure.fallback;
        }
        QCOMPARE(fallback, QStringLiteral("20"));

        // Replaced by rename, with a log holding its last change: the new file counts, with
        // that change.
        CommitLeftInLog(elsewhere.filePath("tarif.db"), "UPDATE tariff SET Cost = 7");
        for (const QString part : {"-wal", "-shm", ""})
            if (QFileInfo::exists(elsewhere.filePath("tarif.db") + part))
                QVERIFY(::rename(QFile::encodeName(elsewhere.filePath("tarif.db") + part),
                                 QFile::encodeName(table.FilePath() + part)) == 0);
        QCOMPARE(book.LookupRate(), QStringLiteral("7"));

        // Deleted: told, and the periods read last still count.
        QVERIFY(QFile::remove(table.FilePath()));
        fallback.clear();
        try {
            book.LookupRate();
        } catch (const RateLookupFailure& failure) {
            QVERIFY2(failure.message().contains("удалён"), qPrintable(failure.message()));
            fallback = failure.fallback;
        }
        QCOMPARE(fallback, QStringLiteral("7"));

        // No tariff file to be read at start: tried again at every lookup, so one put there
        // later counts.
        WriteFile(table.FilePath(), "not a database at all, not at all....");
        QString failure;
        TariffTable late(dir.path(), &failure);
        QVERIFY2(failure.contains(table.FilePath()), qPrintable(failure));
        TariffBook lateBook(clock);
        lateBook.SetTable(&late);
        QVERIFY_THROWS_EXCEPTION(RateLookupFailure, lateBook.LookupRate());
        QVERIFY(QFile::remove(table.FilePath()));
        {
            TariffTable good(elsewhere.path());
            good.Add({Ms(0, 0, 0), Ms(23, 59, 59), 9});
        }
        QVERIFY(QFile::rename(elsewhere.filePath("tarif.db"), table.FilePath()));
        QCOMPARE(lateBook.LookupRate(), QStringLiteral("9"));
    }
};

QTEST_GUILESS_MAIN(TestTariffBook)
#include "tst_tariffbook.moc"
