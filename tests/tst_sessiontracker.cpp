#include "Fakes.h"
#include "accounting/SessionTracker.h"

#include "storage/TextForms.h"

#include <QtTest>

Q_DECLARE_METATYPE(OpenSegment)

namespace {
const QDate Dec7(2026, 12, 7);
const QString Offline = QStringLiteral(" Нет доступа в Интернет");
const QString Starting = QStringLiteral("Анализ состояния...");
const QStringList Up{QStringLiteral("10.1.2.3")};
const QStringList Down{QStringLiteral("127.0.0.1")};

// The tracker with every seam faked, past its start-up step, at 9:00:00 on 7 Dec.
struct Rig : TrackerRig {
    explicit Rig(bool started = true) {
        clock.Set(Dec7, 9, 0, 0);
        addresses.Always(Down);
        tracker.Start();
        if (started)
            tracker.StartUp();
    }
    QStringList Written() const {
        QStringList rows;
        for (const SessionRecord& r : writer.records)
            rows << QStringList{r.date.toString("dd.MM"),
                                r.startTime,
                                r.endTime,
                                r.duration,
                                r.rate,
                                r.charge}
                        .join(' ');
        return rows;
    }
};
// Counters of one counted interface (and loopback), moved by hand; the period's stored bytes
// are the records the writer took in the same month.
struct TrafficRig : Rig {
    struct FakeCounters final : CounterSource {
        std::optional<QList<LinkCounters>> Counters() override {
            if (!answers)
                return std::nullopt;
            return QList<LinkCounters>{{1, "lo", true, {9999, 9999}},
                                       {index, "ppp0", false, total}};
        }
        bool Counted(const QString& name) override { return name == "ppp0"; }
        int index = 7;
        Traffic total{5000, 5000}; // moved before the connection
        bool answers = true;
    } counters;
    struct Ledger final : TrafficLedger {
        explicit Ledger(const FakeWriter& w) : writer(w) {}
        TrafficTerms Terms() override { return terms; }
        QDate PeriodStart(const QDate& date) override { return {date.year(), date.month(), 1}; }
        quint64 StoredInPeriod(const QDate& date) override {
            quint64 used = 0;
            for (const SessionRecord& r : writer.records)
                if (r.traffic && PeriodStart(r.date) == PeriodStart(date))
                    used += r.traffic->rx + r.traffic->tx;
            return used;
        }
        const FakeWriter& writer;
        TrafficTerms terms;
    } ledger{writer};
    TrafficRig() { tracker.CountTraffic(&counters, &ledger); }
    void Move(quint64 rx, quint64 tx = 0) { counters.total += Traffic{rx, tx}; }
    // Each record as "rx/tx charge", "-" for no bytes.
    QStringList Volumes() const {
        QStringList rows;
        for (const SessionRecord& r : writer.records)
            rows << (r.traffic ? QString("%1/%2").arg(r.traffic->rx).arg(r.traffic->tx)
                               : QStringLiteral("-")) +
                        ' ' + r.charge;
        return rows;
    }
};
using TrafficSteps = std::function<void(TrafficRig&)>;
} // namespace

Q_DECLARE_METATYPE(TrafficSteps)

class TestSessionTracker : public QObject {
    Q_OBJECT
private slots:
    void formCreate() {
        Rig rig(false);
        QCOMPARE(rig.view.status, Starting);
        QVERIFY(rig.startup.enabled);
        QVERIFY(!rig.poll.enabled && !rig.ticker.enabled && !rig.watch.enabled);
        QCOMPARE(rig.poll.interval, 3000);
        QCOMPARE(rig.ticker.interval, 1000);
        QCOMPARE(rig.watch.interval, 4000);
        QCOMPARE(rig.startup.interval, 1500);
        QVERIFY(!rig.tracker.SegmentOpen() && rig.tracker.AwaitingStart());
        QVERIFY(rig.tracker.RereadRate());
    }

    void startupStep_data() {
        QTest::addColumn<bool>("failOptions");
        QTest::addColumn<bool>("failTariffs");
        QTest::addColumn<int>("errors");
        QTest::newRow("all well") << false << false << 0;
        QTest::newRow("options line no integer") << true << false << 1;
        QTest::newRow("tariff table refused") << false << true << 1;
        QTest::newRow("both") << true << true << 2;
    }
    void startupStep() {
        QFETCH(bool, failOptions);
        QFETCH(bool, failTariffs);
        QFETCH(int, errors);
        Rig rig(false);
        rig.steps.failOptions = failOptions;
        rig.steps.failTariffs = failTariffs;
        rig.tracker.StartUp();
        QCOMPARE(rig.steps.calls, (QStringList{"LoadOptions", "OpenTariffTable"}));
        QCOMPARE(rig.view.errors.size(), errors); // each failure reported once
        QVERIFY(!rig.startup.enabled);            // the step runs once
        QVERIFY(rig.poll.enabled);                // and polling starts regardless
        QCOMPARE(rig.view.status, Starting);
    }

    void startupKeepsAnIntervalTheOptionsSet() {
        Rig rig(false);
        rig.tracker.ApplyPollInterval(5);
        const int starts = rig.poll.starts;
        rig.tracker.StartUp();
        QCOMPARE(rig.poll.interval, 5000);
        QCOMPARE(rig.poll.starts, starts); // enabling an enabled timer does not restart it
    }

    // Each row of the tracker's state table, from Off line or On line.
    void stateTable_data() {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("segmentOpen");
        QTest::addColumn<bool>("timing"); // ticker and tariff watch enabled
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("lookups");
        QTest::addColumn<bool>("pollRestarted");
        QTest::addColumn<QString>("status"); // "=" for unchanged
        QTest::newRow("off line, poll, not connected")
            << false << "poll down" << false << false << 0 << 0 << false << Offline;
        QTest::newRow("off line, poll, connected")
            << false << "poll up" << true << true << 0 << 1 << false << "=";
        QTest::newRow("on line, poll, connected")
            << true << "poll up" << true << true << 0 << 0 << false << "=";
        QTest::newRow("on line, poll, not connected")
            << true << "poll down" << false << false << 1 << 0 << true << Offline;
        QTest::newRow("on line, tick")
            << true << "tick" << true << true << 0 << 0 << false << " Интернет   0:00:01";
        QTest::newRow("on line, watch, same rate")
            << true << "watch same" << true << true << 0 << 1 << false << "=";
        QTest::newRow("on line, watch, rate changed")
            << true << "watch changed" << true << true << 1 << 1 << true << "=";
    }
    void stateTable() {
        QFETCH(bool, online);
        QFETCH(QString, event);
        QFETCH(bool, segmentOpen);
        QFETCH(bool, timing);
        QFETCH(int, records);
        QFETCH(int, lookups);
        QFETCH(bool, pollRestarted);
        QFETCH(QString, status);
        Rig rig;
        rig.Poll(online ? Up : Down);
        QCOMPARE(rig.tracker.SegmentOpen(), online);
        const QString statusBefore = rig.view.status;
        const int lookupsBefore = rig.rates.lookups;
        const int startsBefore = rig.poll.starts;

        if (event == "poll up") {
            rig.Poll(Up);
        } else if (event == "poll down") {
            rig.Poll(Down);
        } else if (event == "tick") {
            rig.tracker.Tick();
        } else {
            if (event == "watch changed")
                rig.rates.rate = "10";
            rig.Watch();
        }
        QCOMPARE(rig.tracker.SegmentOpen(), segmentOpen);
        QCOMPARE(rig.tracker.AwaitingStart(), !segmentOpen);
        QCOMPARE(rig.ticker.enabled, timing);
        QCOMPARE(rig.watch.enabled, timing);
        QCOMPARE(int(rig.writer.records.size()), records);
        QCOMPARE(rig.rates.lookups - lookupsBefore, lookups);
        QCOMPARE(rig.poll.starts > startsBefore, pollRestarted);
        QVERIFY(rig.poll.enabled);
        QCOMPARE(rig.view.status, status == "=" ? statusBefore : status);
        QVERIFY(rig.view.errors.isEmpty());
    }

    void aConnectionFromPollToPoll() {
        Rig rig;
        rig.Poll(Up);         // 9:00:03 begins
        rig.Poll(Up);         // 9:00:06
        rig.Poll(Down, 1500); // 9:00:07.5 ends
        QCOMPARE(rig.Written(), QStringList{"07.12 9:00:03 9:00:07 0:00:04 20 0,0222222222222222"});
        QVERIFY(rig.tracker.RereadRate());
    }

    // The bytes of the counted link, read at every poll and at every moment a segment ends.
    void trafficOfEachRecord_data() {
        QTest::addColumn<TrafficSteps>("steps");
        QTest::addColumn<QStringList>("records"); // "rx/tx charge"
        const quint64 MiB = 1 << 20;
        QTest::newRow("one connection, from its first poll") << TrafficSteps([](TrafficRig& r) {
            r.Poll(Up); // 9:00:03, counters noted
            r.Move(1000, 200);
            r.Poll(Up);
            r.Move(50);
            r.Poll(Down);
            r.Move(777); // off line: not the next connection's
            r.Poll(Up);
            r.Move(1);
            r.Poll(Down);
        }) << QStringList{"1050/200 0,0333333333333333", "1/0 0,0166666666666667"};
        QTest::newRow("a tariff change between polls: each side what moved while it was open")
            << TrafficSteps([](TrafficRig& r) {
                   r.Poll(Up);
                   r.Move(100);
                   r.Poll(Up);
                   r.Move(40);
                   r.rates.rate = "10";
                   r.Watch(); // 9:00:10
                   r.Move(7);
                   r.Poll(Down, 2000);
               })
            << QStringList{"140/0 0,0388888888888889", "7/0 0,00555555555555556"};
        QTest::newRow("a midnight between two readings: shared by time, exactly")
            << TrafficSteps([](TrafficRig& r) {
                   r.clock.Set(Dec7, 23, 59, 57);
                   r.Poll(Up, 0);
                   r.Move(1000, 3);
                   r.Poll(Down, 4000); // 0:00:01, before the watch saw the date
               })
            << QStringList{"750/2 0,0166666666666667", "250/1 0,00555555555555556"};
        QTest::newRow("a package crossed mid-connection: only what lies beyond it is paid")
            << TrafficSteps([MiB](TrafficRig& r) {
                   r.ledger.terms = {QStringLiteral("2"), 1};
                   r.Poll(Up);
                   r.Move(MiB / 2, MiB / 4);
                   r.rates.rate = "0";
                   r.Watch(); // within the package
                   r.Move(MiB / 4, MiB / 2);
                   r.Poll(Down); // half a mebibyte beyond it
               })
            << QStringList{"524288/262144 0,0222222222222222", "262144/524288 1"};
        QTest::newRow("bytes waiting to be stored count towards the package")
            << TrafficSteps([MiB](TrafficRig& r) {
                   r.ledger.terms = {QStringLiteral("2"), 1};
                   r.writer.fail = true; // the first piece waits
                   r.Poll(Up);
                   r.Move(MiB);
                   r.rates.rate = "0";
                   r.Watch();
                   r.Move(MiB / 2);
                   r.Poll(Down); // the second piece is priced while the first still waits
                   r.writer.fail = false;
                   r.Poll(Down);
               })
            << QStringList{"1048576/0 0,0222222222222222", "524288/0 1"};
        QTest::newRow("a crash keeps the bytes up to the last poll, priced once the tariff is read")
            << TrafficSteps([MiB](TrafficRig& r) {
                   r.ledger.terms = {QStringLiteral("2"), 0};
                   r.Poll(Up);
                   r.Move(MiB / 2);
                   r.Poll(Up);
                   r.Move(99); // killed before the next poll
                   FakeWriter survived;
                   survived.open = r.writer.open;
                   r.writer = survived;
                   r.tracker.CountTraffic(nullptr, nullptr); // as a new run begins
                   r.tracker.Start();
                   QVERIFY(r.writer.records.empty());
                   r.tracker.CountTraffic(&r.counters, &r.ledger); // the tariff asks for it
                   r.tracker.StartUp();
               })
            << QStringList{"524288/0 1,01666666666667"};
        QTest::newRow("a link made anew counts from zero, a jump is not counted")
            << TrafficSteps([](TrafficRig& r) {
                   r.Poll(Up);
                   r.Move(1000);
                   r.Poll(Up);
                   r.counters.index = 8; // dialled again: a new interface, same name
                   r.counters.total = {64, 0};
                   r.Poll(Up);
                   r.Move(100'000'000'000'000ULL); // no link carries that in 3 s
                   r.Poll(Down);
               })
            << QStringList{"1064/0 0,05"};
        QTest::newRow("counters that cannot be read lose that poll, take no new interface")
            << TrafficSteps([](TrafficRig& r) {
                   r.Poll(Up);
                   r.Move(10);
                   r.Poll(Up);
                   r.counters.answers = false;
                   r.Move(500);
                   r.Poll(Up);
                   r.counters.answers = true;
                   r.Poll(Up); // notes only
                   r.Move(1);
                   r.Poll(Down);
               })
            << QStringList{"11/0 0,0666666666666667"};
        QTest::newRow("not counted: records as before") << TrafficSteps([](TrafficRig& r) {
            r.tracker.CountTraffic(nullptr, nullptr);
            r.Poll(Up);
            r.Move(1000);
            r.Poll(Down);
        }) << QStringList{"- 0,0166666666666667"};
    }
    void trafficOfEachRecord() {
        QFETCH(TrafficSteps, steps);
        QFETCH(QStringList, records);
        TrafficRig rig;
        steps(rig);
        QCOMPARE(rig.Volumes(), records);
    }

    void tickerCountsAndResets() {
        Rig rig;
        rig.Poll(Up);
        for (int i = 0; i < 7; ++i)
            rig.tracker.Tick();
        QCOMPARE(rig.view.status, QStringLiteral(" Интернет   0:00:07"));
        rig.rates.rate = "10";
        rig.Watch(); // a split does not reset the counter
        rig.tracker.Tick();
        QCOMPARE(rig.view.status, QStringLiteral(" Интернет   0:00:08"));
        rig.Poll(Down);
        QCOMPARE(rig.tracker.ElapsedSeconds(), 0);
        rig.Poll(Up);
        rig.tracker.Tick();
        QCOMPARE(rig.view.status, QStringLiteral(" Интернет   0:00:01"));
    }

    void tickerShowsOnlyTheTimeOfDay() {
        Rig rig;
        rig.Poll(Up);
        for (int i = 0; i < 86'401; ++i)
            rig.tracker.Tick();
        QCOMPARE(rig.view.status, QStringLiteral(" Интернет   0:00:01"));
    }

    // The new segment begins at the very moment the old one ends, at the new rate, and a
    // segment begun by a split is charged at the rate in force even if the link drops at
    // the next poll.
    void splitCarriesTheNewRate() {
        Rig rig;
        rig.Poll(Up); // 9:00:03 at 20
        rig.rates.rate = "10";
        rig.Watch(); // 9:00:07 split
        QCOMPARE(rig.tracker.CurrentRate(), QStringLiteral("10"));
        QVERIFY(!rig.tracker.RereadRate());
        rig.Poll(Down, 2000); // 9:00:09
        QCOMPARE(rig.Written(),
                 (QStringList{"07.12 9:00:03 9:00:07 0:00:04 20 0,0222222222222222",
                              "07.12 9:00:07 9:00:09 0:00:02 10 0,00555555555555556"}));
    }

    void oneSplitPerChangeWhateverThePollInterval() {
        Rig rig;
        rig.tracker.ApplyPollInterval(10);
        rig.Poll(Up, 10'000);
        rig.rates.rate = "10";
        for (int i = 0; i < 5; ++i)
            rig.Watch(); // no poll comes between these ticks
        QCOMPARE(rig.writer.records.size(), 1u);
        QVERIFY(rig.poll.enabled);
        QCOMPARE(rig.poll.interval, 10'000);
    }

    void everyConnectionLooksItsRateUpAfresh() {
        Rig rig;
        rig.Poll(Up);
        rig.Poll(Down); // 20 while on line
        rig.rates.rate = "10";
        rig.Poll(Up); // the rate changed while off line
        QCOMPARE(rig.tracker.CurrentRate(), QStringLiteral("10"));
        rig.Watch();
        QCOMPARE(rig.writer.records.size(), 1u); // no 4-second segment at the old rate
    }

    void aDateChangeClosesTheSegment() {
        Rig rig;
        rig.clock.Set(Dec7, 23, 59, 50);
        rig.Poll(Up, 0);
        rig.Watch(4000); // 23:59:54
        rig.Watch(4000); // 23:59:58
        QVERIFY(rig.writer.records.empty());
        rig.Watch(4000); // 0:00:02 on 8 Dec, same rate
        rig.Poll(Down, 3000);
        // The day's segment ends at midnight itself; the next begins there.
        QCOMPARE(rig.Written(),
                 (QStringList{"07.12 23:59:50 0:00:00 0:00:10 20 0,0555555555555556",
                              "08.12 0:00:00 0:00:05 0:00:05 20 0,0277777777777778"}));
    }

    // On line for two days and more at one rate: however late the watch notices a new date,
    // no record spans a day, and none loses the day it covers: a whole day is 86 400 s and
    // its price, in two records.
    void dayLongConnectionsAreCutAtEveryMidnight_data() {
        QTest::addColumn<int>("watchLateMsecs"); // how long after midnight the watch looks
        QTest::addColumn<bool>("watchFails");
        QTest::newRow("watch on time") << 1500 << false;
        QTest::newRow("watch 3.9 s late") << 3900 << false;
        QTest::newRow("watch a second short of a poll") << 2999 << false;
        QTest::newRow("lookup failing at midnight") << 1500 << true;
    }
    void dayLongConnectionsAreCutAtEveryMidnight() {
        QFETCH(int, watchLateMsecs);
        QFETCH(bool, watchFails);
        Rig rig;
        rig.clock.Set(Dec7, 0, 0, 2, 345);
        rig.Poll(Up, 0);
        for (int day = 0; day < 2; ++day) {
            // The watch next looks just after the coming midnight.
            rig.rates.fail = watchFails;
            rig.rates.fallback = "20";
            rig.Watch(86'400'000 - rig.clock.now.msecs + watchLateMsecs);
            rig.rates.fail = false;
        }
        rig.Poll(Down, 1000);
        const QStringList written = rig.Written();
        QCOMPARE(written.size(), 4);
        QCOMPARE(written[0], QStringLiteral("07.12 0:00:02 0:00:00 23:59:57 20 479,983333333333"));
        QCOMPARE(written[1], QStringLiteral("08.12 0:00:00 12:00:00 12:00:00 20 240"));
        QCOMPARE(written[2], QStringLiteral("08.12 12:00:00 0:00:00 12:00:00 20 240"));
        QVERIFY(written[3].startsWith(QStringLiteral("09.12 0:00:00 0:00:0")));
        for (const SessionRecord& r : rig.writer.records)
            QVERIFY(TextForms::ParseTime(r.duration) < 86'400'000);
    }

    void aRecoveredSegmentIsCutAtEveryMidnight() {
        Rig rig(false);
        rig.writer.open = OpenSegment{Dec7, 22 * 3600'000, QDate(2026, 12, 9), 3600'000, "20"};
        rig.tracker.Start();
        QCOMPARE(rig.Written(), (QStringList{"07.12 22:00:00 0:00:00 2:00:00 20 40",
                                             "08.12 0:00:00 12:00:00 12:00:00 20 240",
                                             "08.12 12:00:00 0:00:00 12:00:00 20 240",
                                             "09.12 0:00:00 1:00:00 1:00:00 20 20"}));
        QCOMPARE(rig.writer.open, std::nullopt);
    }

    // A segment of no time is no record, on every path: left open by a crash (`left`), or
    // a connection that ends the moment it began, off line at the next poll or at close.
    void noRecordOfNoTime_data() {
        QTest::addColumn<OpenSegment>("left");
        QTest::addColumn<QString>("ending"); // "": recovered at start
        QTest::addColumn<int>("records");
        QTest::newRow("recovered, no time") << OpenSegment{Dec7, 1000, Dec7, 1000, "20"} << "" << 0;
        QTest::newRow("recovered, ends at midnight")
            << OpenSegment{Dec7, 1000, QDate(2026, 12, 8), 0, "20"} << "" << 1;
        QTest::newRow("recovered, ends before it began")
            << OpenSegment{Dec7, 5000, Dec7, 1000, "20"} << "" << 0;
        QTest::newRow("off line at the same moment") << OpenSegment{} << "poll" << 0;
        QTest::newRow("closed at the same moment") << OpenSegment{} << "close" << 0;
        QTest::newRow("off line a millisecond later") << OpenSegment{} << "poll 1" << 1;
    }
    void noRecordOfNoTime() {
        QFETCH(OpenSegment, left);
        QFETCH(QString, ending);
        QFETCH(int, records);
        Rig rig(ending.isEmpty() ? false : true);
        if (ending.isEmpty()) {
            rig.writer.open = left;
            rig.tracker.Start();
        } else {
            rig.Poll(Up); // on line at 9:00:03
            if (ending == "close")
                QVERIFY(rig.tracker.CloseOpenSegment());
            else
                rig.Poll(Down, ending.section(' ', 1).toInt());
        }
        QCOMPARE(int(rig.writer.records.size()), records);
        QCOMPARE(rig.writer.open, std::nullopt);
    }

    // A connection that ends after midnight before the watch sees the new date: each
    // record holds its own day, whichever way it ends.
    void aConnectionEndingAfterMidnightIsSplitThere_data() {
        QTest::addColumn<QString>("ending");
        QTest::newRow("poll") << "poll";
        QTest::newRow("close") << "close";
        QTest::newRow("clock jump") << "jump";
        QTest::newRow("recovery") << "recovery";
    }
    void aConnectionEndingAfterMidnightIsSplitThere() {
        QFETCH(QString, ending);
        Rig rig(ending != "recovery");
        rig.clock.Set(Dec7, 23, 59, 58);
        if (ending == "recovery") {
            rig.clock.Set(QDate(2026, 12, 8), 0, 0, 5);
            rig.writer.open = OpenSegment{Dec7, (23 * 3600 + 59 * 60 + 58) * 1000,
                                          QDate(2026, 12, 8), 1000, "20"};
            rig.tracker.Start();
        } else {
            rig.Poll(Up, 0);
            rig.clock.Advance(3000); // 0:00:01, no watch tick in between
            if (ending == "poll") {
                rig.Poll(Down, 0);
            } else if (ending == "close") {
                rig.tracker.CloseOpenSegment();
            } else {
                rig.tracker.Tick();
                rig.clock.Jump(3'600'000);
                rig.Poll(Down, 0);
            }
        }
        QCOMPARE(rig.Written(),
                 (QStringList{"07.12 23:59:58 0:00:00 0:00:02 20 0,0111111111111111",
                              "08.12 0:00:00 0:00:01 0:00:01 20 0,00555555555555556"}));
    }

    void aFailedAppendKeepsPollingAndWritesLater() {
        Rig rig;
        rig.Poll(Up); // 9:00:03
        rig.writer.fail = true;
        rig.Poll(Down); // 9:00:06: cannot be written
        QVERIFY(rig.poll.enabled);
        QCOMPARE(rig.tracker.Pending().size(), 1u);
        rig.Poll(Up); // 9:00:09 a new connection while the disk is full
        rig.rates.rate = "10";
        rig.Watch();    // 9:00:13 split, cannot be written either
        rig.Poll(Down); // 9:00:16
        QCOMPARE(rig.view.errors, QStringList{"disk full"}); // told once
        QCOMPARE(rig.tracker.Pending().size(), 3u);
        rig.writer.fail = false;
        rig.Poll(Down); // everything lands, oldest first, once
        QCOMPARE(rig.Written(),
                 (QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667",
                              "07.12 9:00:09 9:00:13 0:00:04 20 0,0222222222222222",
                              "07.12 9:00:13 9:00:16 0:00:03 10 0,00833333333333333"}));
        QVERIFY(rig.tracker.Pending().empty());
        rig.writer.fail = true;
        rig.Poll(Up);
        rig.Poll(Down);
        QCOMPARE(rig.view.errors.size(), 2); // a new trouble after a success is told again
    }

    // Time is never lost to the tariff file: a connection starts at the rate the periods read
    // last give (here the fallback), the trouble is told once, and the watch looks again.
    void aFailedLookupStillTimesTheConnection() {
        Rig rig;
        rig.rates.fail = true;
        rig.rates.fallback = "15";
        rig.Poll(Up); // 9:00:03
        rig.Poll(Up);
        QVERIFY(rig.tracker.SegmentOpen());
        QVERIFY(rig.ticker.enabled && rig.watch.enabled);
        QCOMPARE(rig.tracker.CurrentRate(), QStringLiteral("15"));
        QCOMPARE(rig.tracker.StartTime(), (9 * 3600 + 3) * 1000);
        rig.Watch(); // 9:00:10, still failing: nothing changes, nothing more told
        QCOMPARE(rig.view.errors, QStringList{"rate lookup failed"});
        QVERIFY(rig.writer.records.empty());
        rig.rates.fail = false;
        rig.Watch(); // 9:00:14: the table reads again, at 20: split there
        QCOMPARE(rig.Written(), QStringList{"07.12 9:00:03 9:00:14 0:00:11 15 0,0458333333333333"});
        rig.rates.fail = true;
        rig.Watch(); // a new failure after a success is told again
        QCOMPARE(rig.view.errors.size(), 2);
    }

    // With no periods ever read, the fallback is rate "0".
    void aLookupThatNeverWorkedTimesAtRateZero() {
        Rig rig;
        rig.rates.fail = true;
        rig.rates.plainFailure = true;
        rig.Poll(Up);
        rig.Poll(Down);
        QCOMPARE(rig.Written(), QStringList{"07.12 9:00:03 9:00:06 0:00:03 0 0"});
    }

    void aFailedLookupInTheWatchChangesNothing() {
        Rig rig;
        rig.Poll(Up);
        rig.rates.fail = true;
        rig.rates.fallback = "20"; // the periods read last say the same
        rig.Watch();
        rig.Watch();
        QCOMPARE(rig.view.errors.size(), 1);
        QVERIFY(rig.writer.records.empty());
        QCOMPARE(rig.tracker.CurrentRate(), QStringLiteral("20"));
    }

    void pollInterval_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("interval");
        QTest::newRow("zero stops polling") << 0 << false << 3000;
        QTest::newRow("five seconds") << 5 << true << 5000;
        QTest::newRow("beyond the timer's range") << 3'000'000 << true << INT_MAX;
    }
    void pollInterval() {
        QFETCH(int, seconds);
        QFETCH(bool, enabled);
        QFETCH(int, interval);
        Rig rig;
        const int starts = rig.poll.starts;
        rig.tracker.ApplyPollInterval(seconds);
        QCOMPARE(rig.poll.enabled, enabled);
        QCOMPARE(rig.poll.interval, interval);
        QCOMPARE(rig.poll.starts > starts, enabled); // the interval starts afresh
    }

    void closingWhileConnectedWritesTheSegment() {
        Rig rig;
        rig.Poll(Up); // 9:00:03
        rig.clock.Advance(5500);
        QVERIFY(rig.tracker.CloseOpenSegment());
        QCOMPARE(rig.Written(), QStringList{"07.12 9:00:03 9:00:08 0:00:05 20 0,0277777777777778"});
        QVERIFY(rig.tracker.CloseOpenSegment()); // nothing twice
        QCOMPARE(rig.writer.records.size(), 1u);
    }

    void theOpenSegmentIsKeptAtEveryPoll() {
        Rig rig;
        rig.Poll(Up); // 9:00:03
        QCOMPARE(rig.writer.open,
                 (OpenSegment{Dec7, (9 * 3600 + 3) * 1000, Dec7, (9 * 3600 + 3) * 1000, "20"}));
        rig.Poll(Up); // 9:00:06
        QCOMPARE(rig.writer.open->lastMsecs, (9 * 3600 + 6) * 1000);
        rig.rates.rate = "10";
        rig.Watch(); // 9:00:10 split: the record and the new open segment together
        QCOMPARE(rig.writer.records.size(), 1u);
        // with what the connection stored so far: 7 s at 20
        QCOMPARE(rig.writer.open, (OpenSegment{Dec7,
                                               (9 * 3600 + 10) * 1000,
                                               Dec7,
                                               (9 * 3600 + 10) * 1000,
                                               "10",
                                               {7, "0,0388888888888889", 1}}));
        rig.Poll(Down);
        QCOMPARE(rig.writer.open, std::nullopt);
        QCOMPARE(rig.writer.records.size(), 2u);
    }

    // After a crash the next start stores the open segment up to its last checkpoint, once,
    // before polling begins.
    void aCrashLosesAtMostOnePoll() {
        FakeWriter table; // what survives the crash
        {
            Rig first;
            first.Poll(Up);            // 9:00:03
            first.Poll(Up);            // 9:00:06
            first.clock.Advance(2000); // killed at 9:00:08
            table.open = first.writer.open;
        }
        Rig second(false);
        second.writer.open = table.open;
        second.tracker.Start();
        QCOMPARE(second.Written(),
                 QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667"});
        QCOMPARE(second.writer.open, std::nullopt);
        QVERIFY(!second.poll.enabled); // polling begins only after the start-up step
        second.tracker.Start();        // nothing twice
        QCOMPARE(second.writer.records.size(), 1u);
    }

    // The wall clock is set back or forward, or the machine sleeps, while on line.
    void clockJumps_data() {
        QTest::addColumn<qint64>("jump");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("set back an hour (summer time ends)")
            << -3'600'000LL
            << QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667",
                           "07.12 8:00:09 8:00:12 0:00:03 20 0,0166666666666667"};
        QTest::newRow("set forward a day")
            << 86'400'000LL
            << QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667",
                           "08.12 9:00:09 9:00:12 0:00:03 20 0,0166666666666667"};
        QTest::newRow("asleep for eight hours")
            << 8 * 3'600'000LL
            << QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667",
                           "07.12 17:00:09 17:00:12 0:00:03 20 0,0166666666666667"};
        QTest::newRow("a second of drift is no jump")
            << 1000LL << QStringList{"07.12 9:00:03 9:00:13 0:00:10 20 0,0555555555555556"};
        // 9:00:03 to 9:00:13.5 and to 9:00:10.5: a record's times count whole seconds.
        QTest::newRow("exactly the tolerance ahead is no jump")
            << qint64(SessionTracker::JumpToleranceMsecs)
            << QStringList{"07.12 9:00:03 9:00:13 0:00:10 20 0,0555555555555556"};
        QTest::newRow("exactly the tolerance back is no jump")
            << -qint64(SessionTracker::JumpToleranceMsecs)
            << QStringList{"07.12 9:00:03 9:00:10 0:00:07 20 0,0388888888888889"};
        QTest::newRow("a millisecond past the tolerance is a jump")
            << qint64(SessionTracker::JumpToleranceMsecs) + 1
            << QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667",
                           "07.12 9:00:10 9:00:13 0:00:03 20 0,0166666666666667"};
    }
    void clockJumps() {
        QFETCH(qint64, jump);
        QFETCH(QStringList, written);
        Rig rig;
        rig.Poll(Up); // 9:00:03
        rig.Poll(Up); // 9:00:06
        rig.clock.Jump(jump);
        rig.Poll(Up); // 3 s later on the monotonic clock
        rig.Poll(Down);
        QCOMPARE(rig.Written(), written);
    }

    void aJumpSeenByTheTickerEndsTheSegmentThere() {
        Rig rig;
        rig.Poll(Up); // 9:00:03
        rig.clock.Advance(1000);
        rig.tracker.Tick(); // 9:00:04
        rig.clock.Jump(-7'200'000);
        rig.clock.Advance(1000);
        rig.tracker.Tick();   // 7:00:05
        rig.Poll(Down, 1000); // 7:00:06
        QCOMPARE(rig.Written(),
                 (QStringList{"07.12 9:00:03 9:00:04 0:00:01 20 0,00555555555555556",
                              "07.12 7:00:05 7:00:06 0:00:01 20 0,00555555555555556"}));
    }

    void anUnnoticedSmallStepBackIsNoNegativeRecord() {
        Rig rig;
        rig.Poll(Up);          // 9:00:03
        rig.clock.Jump(-1200); // within the tolerance, and before the start
        rig.Poll(Down, 0);
        QVERIFY(rig.writer.records.empty()); // no time on line, no record
    }

    void closingWithUnwritableSegmentsSaysSo() {
        Rig rig;
        rig.Poll(Up);
        rig.writer.fail = true;
        rig.clock.Advance(1000);
        QVERIFY(!rig.tracker.CloseOpenSegment());
        QCOMPARE(rig.tracker.Pending().size(), 1u);
    }

    // A segment whose record cannot be made is told with its fields and set aside; the ones
    // behind it are stored.
    void aSegmentThatCannotBeStoredNeverBlocksTheRest() {
        Rig rig(false);
        rig.writer.open = OpenSegment{Dec7, 8 * 3600'000, Dec7, 8 * 3600'000 + 5000, "abc"};
        rig.tracker.Start();
        QCOMPARE(rig.view.errors.size(), 1);
        QVERIFY2(rig.view.errors[0].contains("abc") && rig.view.errors[0].contains("08:00:00"),
                 qPrintable(rig.view.errors[0]));
        QVERIFY(rig.tracker.Pending().empty());
        rig.tracker.StartUp();
        rig.Poll(Up);
        rig.Poll(Down);
        QCOMPARE(rig.Written(), QStringList{"07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667"});
        QCOMPARE(rig.view.errors.size(), 1);
    }

    void aDamagedLeftOpenSegmentIsToldOnceAndTimingGoesOn() {
        Rig rig(false);
        rig.writer.damaged = true;
        rig.tracker.Start();
        rig.tracker.StartUp();
        rig.Poll(Up);
        rig.Poll(Up);
        QCOMPARE(rig.view.errors, QStringList{"open segment damaged: 2026-12-07 abc"});
        QVERIFY(rig.writer.checkpoints > 0);
        QCOMPARE(rig.writer.open->startMsecs, (9 * 3600 + 3) * 1000);
    }

    // Records written from a backlog each carry what is still open: a crash between two of
    // them never loses the open connection.
    void aBacklogKeepsTheOpenSegmentWithEveryRecord() {
        Rig rig;
        rig.Poll(Up); // 9:00:03
        rig.writer.fail = true;
        rig.rates.rate = "10";
        rig.Watch(); // 9:00:07 split, not written
        rig.rates.rate = "20";
        rig.Watch(); // 9:00:11 split, not written
        QCOMPARE(rig.tracker.Pending().size(), 2u);
        rig.writer.fail = false;
        rig.Poll(Up); // 9:00:14: both land, each with the open segment
        QCOMPARE(rig.writer.records.size(), 2u);
        for (const auto& kept : rig.writer.keptWithRecords) {
            QVERIFY(kept.has_value());
            QCOMPARE(kept->startMsecs, (9 * 3600 + 11) * 1000);
            QCOMPARE(kept->rate, QStringLiteral("20"));
        }
        QCOMPARE(rig.writer.open->lastMsecs, (9 * 3600 + 14) * 1000);
    }

    // data.db cannot be opened at start: the segment a crash left there is read as soon as
    // it can be, before anything is written over it, and stored first.
    void recoveryWaitsForTheFile() {
        Rig rig(false);
        rig.writer.open =
            OpenSegment{QDate(2026, 12, 6), 3600'000, QDate(2026, 12, 6), 7200'000, "20"};
        rig.writer.failRead = true; // it cannot be read; a write might get through
        rig.tracker.Start();
        rig.tracker.StartUp();
        rig.Poll(Up); // 9:00:03, nothing can be written
        rig.Poll(Up);
        QCOMPARE(rig.view.errors.size(), 1); // told once
        QCOMPARE(rig.writer.checkpoints, 0);
        rig.writer.failRead = false;
        rig.Poll(Up); // 9:00:09: the file opens
        QCOMPARE(rig.Written(), QStringList{"06.12 1:00:00 2:00:00 1:00:00 20 20"});
        QCOMPARE(rig.writer.open,
                 (OpenSegment{Dec7, (9 * 3600 + 3) * 1000, Dec7, (9 * 3600 + 9) * 1000, "20"}));
        rig.Poll(Down);
        QCOMPARE(rig.writer.records.size(), 2u); // the old one only once
    }

    // A whole connection ends while the file cannot be read: its record waits too, so it
    // never takes the place of the segment left open, which is stored first.
    void recoveryComesBeforeAnyRecord() {
        Rig rig(false);
        rig.writer.open =
            OpenSegment{QDate(2026, 12, 6), 3600'000, QDate(2026, 12, 6), 7200'000, "20"};
        rig.writer.failRead = true;
        rig.tracker.Start();
        rig.tracker.StartUp();
        rig.Poll(Up);   // 9:00:03
        rig.Poll(Down); // 9:00:06: a record waits
        QVERIFY(rig.writer.records.empty());
        rig.writer.failRead = false;
        rig.Poll(Down);
        QCOMPARE(rig.Written(),
                 (QStringList{"06.12 1:00:00 2:00:00 1:00:00 20 20",
                              "07.12 9:00:03 9:00:06 0:00:03 20 0,0166666666666667"}));
    }
};

QTEST_GUILESS_MAIN(TestSessionTracker)
#include "tst_sessiontracker.moc"
