#include "TestFiles.h"
#include "report/ReportLayout.h"
#include "report/ReportTotals.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <QRandomGenerator>
#include <QtTest>

using Page = ReportLayout::Page;
Q_DECLARE_METATYPE(Page)

namespace {} // namespace

class TestReportTotals : public QObject {
    Q_OBJECT
private slots:
    void split_data() {
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("ordinary") << "1:30:30" << QStringList{"1", "30", "30"};
        QTest::newRow("blanks around") << " 12:05:07\t" << QStringList{"12", "05", "07"};
        QTest::newRow("no colon") << "90" << QStringList{"90", "", ""};
        QTest::newRow("one colon") << "1:30" << QStringList{"1", "30", ""};
        QTest::newRow("long seconds cut at three") << "1:2:3456" << QStringList{"1", "2", "345"};
        QTest::newRow("further colon") << "1:2:3:4" << QStringList{"1", "2", "3"};
        QTest::newRow("empty minutes") << "1::00" << QStringList{"1", "", "00"};
    }
    void split() {
        QFETCH(QString, duration);
        QFETCH(QStringList, pieces);
        const QByteArray bytes = duration.toUtf8();
        const DurationPieces p = SplitDuration(bytes);
        QCOMPARE((QStringList{QString::fromUtf8(p.hours), QString::fromUtf8(p.minutes),
                              QString::fromUtf8(p.seconds)}),
                 pieces);
    }

    void totals_data() {
        QTest::addColumn<QStringList>("charges");
        QTest::addColumn<QStringList>("durations");
        QTest::addColumn<QString>("money");
        QTest::addColumn<QString>("time");
        QTest::newRow("empty range") << QStringList{} << QStringList{} << "0"
                                     << "0:0:0";
        QTest::newRow("carries") << QStringList{"1", "2"} << QStringList{"0:59:30", "0:00:45"}
                                 << "3"
                                 << "1:0:15";
        QTest::newRow("three durations") << QStringList{"12,5", "7,5", "0"}
                                         << QStringList{"1:30:00", "2:45:00", "0:00:30"} << "20"
                                         << "4:15:30";
        QTest::newRow("hours not reduced")
            << QStringList{"0,1", "0,2"} << QStringList{"20:00:00", "10:00:00"} << "0,3"
            << "30:0:0";
        QTest::newRow("long charges") << QStringList{"30,1666666666667", "0,00555555555555556"}
                                      << QStringList{"1:30:30", "0:00:01"} << "30,1722222222223"
                                      << "1:30:31";
    }
    void totals() {
        QFETCH(QStringList, charges);
        QFETCH(QStringList, durations);
        QFETCH(QString, money);
        QFETCH(QString, time);
        ReportTotals totals;
        for (const QString& c : charges)
            totals.AddCharge(c.toUtf8());
        for (const QString& d : durations)
            totals.AddDuration(d.toUtf8());
        QCOMPARE(totals.MoneyText(), money);
        QCOMPARE(totals.TimeText(), QStringLiteral("Общ. время работы - ") + time);
    }

    // Many charges: the total matches the exact decimal sum to the digits shown, however
    // many records there are and whatever their sizes.
    void longSums_data() {
        QTest::addColumn<QStringList>("charges");
        QTest::addColumn<int>("times");
        QTest::addColumn<QString>("money");
        QTest::newRow("100000 x 30,1666666666667")
            << QStringList{"30,1666666666667"} << 100'000 << "3016666,66666667";
        QTest::newRow("a million tenths") << QStringList{"0,1"} << 1'000'000 << "100000";
        QTest::newRow("1/3 and 2/3 alternating")
            << QStringList{"0,333333333333333", "0,666666666666667"} << 300'000 << "300000";
        QTest::newRow("a small charge between two that cancel")
            << QStringList{"1E20", "1", "-1E20"} << 1 << "1";
    }
    void longSums() {
        QFETCH(QStringList, charges);
        QFETCH(int, times);
        QFETCH(QString, money);
        ReportTotals totals;
        for (int i = 0; i < times; ++i)
            for (const QString& c : charges)
                totals.AddCharge(c.toUtf8());
        QCOMPARE(totals.MoneyText(), money);
    }

    // The totals read the common charge texts on a short path of their own: every value
    // must be the very one the general reader gives, to the last bit, and every text it
    // does not take must still be read (or refused) as before.
    void chargesReadAsTheGeneralReaderReadsThem_data() {
        QTest::addColumn<QString>("summ");
        for (const char* text : {"0",
                                 "-0",
                                 "+0",
                                 "0,1",
                                 "0,2",
                                 "30,1666666666667",
                                 "-30,1666666666667",
                                 "30,",
                                 ",5",
                                 "+,5",
                                 "20",
                                 "1234567890,123456789",
                                 "9999999999999999999",
                                 "0,000000000000000001",
                                 "18446744073709551615",
                                 "99999999999999999999",
                                 "0,1234567890123456789",
                                 "0,00000000000000000001",
                                 " 1,5",
                                 "1,5 ",
                                 "1E5",
                                 "1,5e-3",
                                 "007,50"})
            QTest::newRow(text) << QString::fromLatin1(text);
        QRandomGenerator random(20261208);
        for (int i = 0; i < 2000; ++i) { // random digits on both sides of the comma
            QString text = random.bounded(4) == 0 ? QStringLiteral("-") : QString();
            const int whole = random.bounded(12), decimals = random.bounded(1, 19 - whole);
            for (int d = 0; d < whole; ++d)
                text += QChar(u'0' + random.bounded(10));
            text += QLatin1Char(',');
            for (int d = 0; d < decimals; ++d)
                text += QChar(u'0' + random.bounded(10));
            QTest::newRow(qPrintable(QStringLiteral("random %1").arg(i))) << text;
        }
    }
    void chargesReadAsTheGeneralReaderReadsThem() {
        QFETCH(QString, summ);
        const QByteArray bytes = summ.toUtf8();
        const long double expected = TextForms::ParseNumber(summ);
        ReportTotals totals;
        totals.AddCharge(QByteArrayView(bytes));
        QVERIFY(totals.Money() == expected);
    }

    void badTexts_data() {
        QTest::addColumn<QString>("charge");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("message");
        QTest::newRow("charge no number") << "abc"
                                          << "0:00:01"
                                          << "'abc' is not a valid floating point value";
        QTest::newRow("charge with a full stop") << "1.5"
                                                 << "0:00:01"
                                                 << "'1.5' is not a valid floating point value";
        QTest::newRow("empty minutes") << "1"
                                       << "1::00"
                                       << "'' is not a valid integer value";
        QTest::newRow("letters in hours") << "1"
                                          << "x:00:00"
                                          << "'x' is not a valid integer value";
        QTest::newRow("charge with two commas") << "1,2,3"
                                                << "0:00:01"
                                                << "'1,2,3' is not a valid floating point value";
        QTest::newRow("charge of a sign alone") << "-"
                                                << "0:00:01"
                                                << "'-' is not a valid floating point value";
        QTest::newRow("charge of a comma alone") << ","
                                                 << "0:00:01"
                                                 << "',' is not a valid floating point value";
    }
    void badTexts() {
        QFETCH(QString, charge);
        QFETCH(QString, duration);
        QFETCH(QString, message);
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append({QDate(2026, 12, 7), "9:00:00", "9:00:01", duration, "1", charge});
        QCOMPARE(FailureOf([&] { ReportTotals::Of(table, table.CurrentRange()); }), message);
    }

    void aBadChargeIsToldBeforeABadDuration() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append({QDate(2026, 12, 7), "a", "b", "0:00:01", "1", "older bad charge"});
        table.Append({QDate(2026, 12, 7), "a", "b", "0:00:01", "1", "bad charge"});
        table.Append({QDate(2026, 12, 7), "a", "b", "bad:00:00", "1", "1"}); // newest, read first
        QCOMPARE(FailureOf([&] { ReportTotals::Of(table, table.CurrentRange()); }),
                 QStringLiteral("'bad charge' is not a valid floating point value"));
    }

    void rangeKeepsToItsDatesAndRows() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        for (int day = 1; day <= 9; ++day)
            table.Append({QDate(2026, 12, day), "a", "b", "1:00:00", "1", "1"});
        table.SetDateFilter(QDate(2026, 12, 3), QDate(2026, 12, 5));
        const SessionRange range = table.CurrentRange();
        table.Append({QDate(2026, 12, 4), "later", "b", "1:00:00", "1", "1"});
        const ReportTotals totals = ReportTotals::Of(table, range);
        QCOMPARE(totals.MoneyText(), QStringLiteral("3")); // 3, 4 and 5 December, not the later
        QCOMPARE(totals.TimeValueText(), QStringLiteral("3:0:0"));
    }

    void pagination_data() {
        QTest::addColumn<qint64>("records");
        QTest::addColumn<qint64>("pages");
        QTest::addColumn<qint64>("page");
        QTest::addColumn<Page>("content");
        // first page: (277 - 6.1) / 5.8 = 46 lines; further pages: 277 / 5.8 = 47 lines
        QTest::newRow("no records") << 0LL << 1LL << 0LL << Page{0, 0, true, true};
        QTest::newRow("one record") << 1LL << 1LL << 0LL << Page{0, 1, true, true};
        QTest::newRow("summary still fits") << 45LL << 1LL << 0LL << Page{0, 45, true, true};
        QTest::newRow("full first page") << 46LL << 2LL << 0LL << Page{0, 46, true, false};
        QTest::newRow("summary alone") << 46LL << 2LL << 1LL << Page{46, 0, false, true};
        QTest::newRow("one line over") << 47LL << 2LL << 1LL << Page{46, 1, false, true};
        QTest::newRow("second page full") << 93LL << 3LL << 1LL << Page{46, 47, false, false};
        QTest::newRow("many: a middle page")
            << 1'000'000LL << 21'277LL << 100LL << Page{46 + 99 * 47, 47, false, false};
        QTest::newRow("many: the last page")
            << 1'000'000LL << 21'277LL << 21'276LL << Page{46 + 21'275 * 47, 29, false, true};
    }
    void pagination() {
        QFETCH(qint64, records);
        QFETCH(qint64, pages);
        QFETCH(qint64, page);
        QFETCH(Page, content);
        QCOMPARE(ReportLayout::RowsOnFirstPage(), 46);
        QCOMPARE(ReportLayout::RowsOnOtherPages(), 47);
        QCOMPARE(ReportLayout::PageCount(records), pages);
        QCOMPARE(ReportLayout::PageAt(records, page), content);
        // Every record lands on exactly one page.
        if (records < 1000) {
            qint64 seen = 0;
            for (qint64 p = 0; p < pages; ++p) {
                QCOMPARE(ReportLayout::PageAt(records, p).firstRow, seen);
                seen += ReportLayout::PageAt(records, p).rows;
            }
            QCOMPARE(seen, records);
        }
    }
};

QTEST_GUILESS_MAIN(TestReportTotals)
#include "tst_reporttotals.moc"
