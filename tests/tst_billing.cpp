#include "Fakes.h"
#include "TimeOfDay.h"
#include "accounting/SessionTracker.h"
#include "accounting/TariffBook.h"
#include "storage/DateTimeValue.h"
#include "storage/TextForms.h"

#include <QtTest>

// The charge rule of a connection: each segment at its rate, the connection's time rounded
// up to whole steps on its last segment, the fee on its first, the minimum made up on its
// last.
Q_DECLARE_METATYPE(Billing)

namespace {
const QDate Dec7(2026, 12, 7);
const QStringList Up{QStringLiteral("10.1.2.3")};
const QStringList Down{QStringLiteral("127.0.0.1")};

// "9:00:00-9:10:00@20": a piece of 7 December at its rate.
Segment Piece(const QString& text) {
    const QStringList at = text.split('@');
    const QStringList ends = at[0].split('-');
    return {Dec7, TextForms::ParseTime(ends[0]), Dec7, TextForms::ParseTime(ends[1]), at[1]};
}

QStringList Charges(const QStringList& pieces, const Billing& billing) {
    std::vector<Segment> segments;
    for (const QString& p : pieces)
        segments.push_back(Piece(p));
    ConnectionSoFar soFar;
    QStringList charges;
    for (const Segment& s : SessionTracker::Placed(segments, soFar, billing, true))
        charges << TariffBook::RecordOf(s).charge;
    return charges;
}

struct Rig : TrackerRig {
    Rig(const Billing& billing, QDate date = Dec7, int msecs = Ms(9, 0, 0)) {
        rates.billing = billing;
        clock.now = {date, msecs};
        addresses.Always(Down);
        tracker.Start();
        tracker.StartUp();
    }
    // Connections with a tariff change, a long one across midnight, and short ones.
    void Script() {
        Poll(Up); // 9:00:03
        for (int i = 0; i < 10; ++i)
            Watch();
        rates.rate = "10";
        Watch(); // 9:00:47: split
        Poll(Up, 14'500);
        Poll(Down); // 9:01:04,5
        Poll(Up, 61'000);
        Poll(Down, 500); // a connection shorter than a poll
        rates.rate = "20";
        clock.now = {Dec7, Ms(23, 59, 40)};
        Poll(Up);
        Watch(); // 23:59:47
        Watch(); // 23:59:51
        Watch(); // 23:59:55
        Watch(); // 23:59:59
        Watch(); // 0:00:03: midnight
        Poll(Up, 30'000);
        tracker.CloseOpenSegment(); // closed at 0:00:33
    }
};
} // namespace

class TestBilling : public QObject {
    Q_OBJECT
private slots:
    void rule_data() {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("fee");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<QStringList>("charges");
        const QStringList one{"9:00:00-9:00:01@20"};
        // Worked examples at 20 an hour, steps of a minute: a started minute costs 1/3.
        QTest::newRow("T=1 s, step 60")
            << one << 60 << 0.0 << 0.0 << QStringList{"0,333333333333333"};
        QTest::newRow("T=59 s, step 60") << QStringList{"9:00:00-9:00:59@20"} << 60 << 0.0 << 0.0
                                         << QStringList{"0,333333333333333"};
        QTest::newRow("T=60 s, step 60") << QStringList{"9:00:00-9:01:00@20"} << 60 << 0.0 << 0.0
                                         << QStringList{"0,333333333333333"};
        QTest::newRow("T=61 s, step 60") << QStringList{"9:00:00-9:01:01@20"} << 60 << 0.0 << 0.0
                                         << QStringList{"0,666666666666667"};
        QTest::newRow("T=61 s, to the second") << QStringList{"9:00:00-9:01:01@20"} << 1 << 0.0
                                               << 0.0 << QStringList{"0,338888888888889"};
        QTest::newRow("under a second is no step")
            << QStringList{"9:00:00-9:00:00.900@20"} << 60 << 0.0 << 0.0 << QStringList{"0"};
        QTest::newRow("step of 30 s") << QStringList{"9:00:00-9:00:31@20"} << 30 << 0.0 << 0.0
                                      << QStringList{"0,333333333333333"};
        // The step counts the whole connection and is charged at the last segment's rate.
        const QStringList three{"9:00:00-9:10:00@20", "9:10:00-9:40:00@10", "9:40:00-9:41:30@20"};
        QTest::newRow("three segments, to the second")
            << three << 1 << 0.0 << 0.0 << QStringList{"3,33333333333333", "5", "0,5"};
        QTest::newRow("three segments, step 60: 2490 s billed 2520")
            << three << 60 << 0.0 << 0.0
            << QStringList{"3,33333333333333", "5", "0,666666666666667"};
        QTest::newRow("fee on one segment") << QStringList{"9:00:00-9:10:00@20"} << 1 << 1.5 << 0.0
                                            << QStringList{"4,83333333333333"};
        QTest::newRow("fee on the first of three")
            << three << 1 << 1.5 << 0.0 << QStringList{"4,83333333333333", "5", "0,5"};
        QTest::newRow("minimum met") << three << 60 << 1.5 << 10.0
                                     << QStringList{"4,83333333333333", "5", "0,666666666666667"};
        QTest::newRow("minimum made up on the last")
            << three << 60 << 1.5 << 12.0
            << QStringList{"4,83333333333333", "5", "2,16666666666667"};
        QTest::newRow("minimum on one free segment")
            << QStringList{"9:00:00-9:10:00@0"} << 60 << 0.0 << 2.5 << QStringList{"2,5"};
        QTest::newRow("fee, step and minimum on one segment")
            << QStringList{"9:00:00-9:00:10@20"} << 60 << 0.1 << 1.0 << QStringList{"1"};
        QTest::newRow("fee and step on one segment")
            << QStringList{"9:00:00-9:00:10@20"} << 60 << 0.1 << 0.0
            << QStringList{"0,433333333333333"};
        // Amounts are added in decimal and rounded once, ties to even, as number texts are.
        QTest::newRow("fee added without a binary tie slip")
            << QStringList{"9:00:00-9:01:30@20"} << 1 << 0.0521296296296295 << 0.0
            << QStringList{"0,55212962962963"};
        // The shortfall comes from the exact sum of the stored texts, not a rounded one.
        QTest::newRow("minimum from the exact sum")
            << QStringList{"9:00:00-9:00:01@20", "9:00:01-10:00:01@100", "10:00:01-10:00:02@20"}
            << 1 << 0.0 << 200.0 << QStringList{"0,00555555555555556", "100", "99,9944444444444"};
        // The user's guide's example.
        QTest::newRow("guide: Monday across 20:00")
            << QStringList{"19:59:30-20:00:00@36", "20:00:00-20:01:10@18"} << 60 << 0.5 << 1.0
            << QStringList{"0,8", "0,45"};
        QTest::newRow("guide: ten seconds on Saturday")
            << QStringList{"9:00:00-9:00:10@18"} << 60 << 0.5 << 1.0 << QStringList{"1"};
    }
    void rule() {
        QFETCH(QStringList, pieces);
        QFETCH(int, unit);
        QFETCH(double, fee);
        QFETCH(double, minimum);
        QFETCH(QStringList, charges);
        QCOMPARE(Charges(pieces, {unit, fee, minimum}), charges);
    }

    // A step that would take the last segment past a day is charged whole, not wrapped.
    void aStepPastADayIsNotWrapped() {
        QCOMPARE(TariffBook::ChargeOfSeconds(86'400 + 60, "20"),
                 QStringLiteral("480,333333333333"));
        Segment day{Dec7, 0, Dec7, Ms(23, 59, 59, 999), "1"};
        day.last = true;
        day.billing.unit = 3600;
        QCOMPARE(TariffBook::RecordOf(day).charge, QStringLiteral("24"));
        QCOMPARE(TariffBook::RecordOf(day).duration, QStringLiteral("23:59:59")); // real time
    }

    // With the default terms every record is the one the program wrote before there were
    // terms: each segment's time at its rate, to the second.
    void defaultTermsChangeNoRecord() {
        Rig rig{Billing{}};
        rig.Script();
        QCOMPARE(rig.writer.records.size(), 5u);
        for (const SessionRecord& r : rig.writer.records) {
            const QString plain = TariffBook::SessionCharge(
                DateTimeValue::FromMsecs(TariffBook::SecondsOf(r.duration) * 1000), r.rate);
            QCOMPARE(r.charge, plain);
        }
        QCOMPARE(rig.writer.records.back().duration, QStringLiteral("0:00:33"));
        QCOMPARE(rig.writer.records.back().charge, QStringLiteral("0,183333333333333"));
        QCOMPARE(rig.writer.open, std::nullopt);
        QVERIFY(rig.writer.keptWithRecords.back() == std::nullopt);
    }

    // The same connections with a fee and steps of a minute: only the first and the last
    // record of each connection change.
    void termsChangeFirstAndLastRecords() {
        Rig plain{Billing{}};
        plain.Script();
        Rig billed{Billing{60, 0.5, 0}};
        billed.Script();
        QStringList summs;
        for (std::size_t i = 0; i < billed.writer.records.size(); ++i) {
            QCOMPARE(billed.writer.records[i].duration, plain.writer.records[i].duration);
            summs << billed.writer.records[i].charge;
        }
        QCOMPARE(summs, (QStringList{
                            "0,744444444444444", // 9:00:03-9:00:47, 44 s at 20, and the fee
                            "0,211111111111111", // to 9:01:04, 17 s at 10: 61 s billed 120
                            "0,5",               // 0,5 s: no whole second, the fee alone
                            "0,594444444444444", // 23:59:43 to midnight, 17 s at 20, and the fee
                            "0,238888888888889", // to 0:00:33, 33 s: 50 s billed 60
                        }));
    }

    // A crash ends the connection; the next start charges it by the same rule, from what
    // the checkpoint kept of it, whatever piece was open: one with time, or the one of no
    // time just begun at a split (ending the connection live at that moment is the same).
    void aRecoveredConnectionIsChargedByTheSameRule_data() {
        QTest::addColumn<Billing>("terms");
        QTest::addColumn<int>("afterSplitMsecs"); // how long the last piece was on line
        QTest::addColumn<QString>("last");        // what the restart stores, "" for nothing
        QTest::newRow("a piece with time")
            << Billing{60, 0.5, 2} << 9000 << "9:00:07 9:00:16 0:00:09 10 1,47777777777778";
        QTest::newRow("crash at the split: steps and minimum")
            << Billing{60, 0.5, 2} << 0 << "9:00:07 9:00:07 0:00:00 10 1,47777777777778";
        QTest::newRow("crash at the split: steps alone")
            << Billing{60, 0, 0} << 0 << "9:00:07 9:00:07 0:00:00 10 0,155555555555556";
        QTest::newRow("crash at the split: default terms add nothing") << Billing{} << 0 << "";
    }
    void aRecoveredConnectionIsChargedByTheSameRule() {
        QFETCH(Billing, terms);
        QFETCH(int, afterSplitMsecs);
        QFETCH(QString, last);
        Rig clean{terms};
        Rig crashed{terms};
        for (Rig* rig : {&clean, &crashed}) {
            rig->Poll(Up); // 9:00:03
            rig->rates.rate = "10";
            rig->Watch(); // 9:00:07 split
            if (afterSplitMsecs > 0)
                rig->Poll(Up, afterSplitMsecs);
        }
        clean.clock.Advance(0);
        clean.tracker.CloseOpenSegment(); // ends where the crashed one was seen last

        Rig restarted{Billing{}, Dec7, Ms(9, 30, 0)}; // other terms now: the old ones count
        restarted.writer.open = crashed.writer.open;
        restarted.tracker.Start();
        QCOMPARE(crashed.writer.records.size() + restarted.writer.records.size(),
                 clean.writer.records.size());
        QCOMPARE(restarted.writer.open, std::nullopt);
        if (last.isEmpty()) {
            QVERIFY(restarted.writer.records.empty());
            return;
        }
        QCOMPARE(restarted.writer.records.size(), 1u);
        const SessionRecord& r = restarted.writer.records.back();
        QCOMPARE(r, clean.writer.records.back());
        QCOMPARE(QStringList({r.startTime, r.endTime, r.duration, r.rate, r.charge}).join(' '),
                 last);
    }

    // A connection across midnight is two segments of one connection: the fee once, the
    // step over both.
    void midnightSplitsOneConnection() {
        Rig rig{Billing{60, 1, 0}, Dec7, Ms(23, 59, 30)};
        rig.Poll(Up);           // 23:59:33
        rig.Watch();            // 23:59:37
        rig.Watch(30'000);      // 0:00:07
        rig.Poll(Down, 38'000); // 0:00:45
        QCOMPARE(rig.writer.records.size(), 2u);
        QCOMPARE(rig.writer.records[0].duration, QStringLiteral("0:00:27"));
        QCOMPARE(rig.writer.records[0].charge, QStringLiteral("1,15"));
        QCOMPARE(rig.writer.records[1].duration, QStringLiteral("0:00:45"));
        // 72 s billed 120: 45 + 48 s at 20
        QCOMPARE(rig.writer.records[1].charge, QStringLiteral("0,516666666666666"));
    }
};

QTEST_GUILESS_MAIN(TestBilling)
#include "tst_billing.moc"
