// Counting the link's bytes from the interfaces' counters, and sharing a poll's bytes among
// the records cut between two polls.
#include "accounting/TrafficMeter.h"

#include <QtTest>
#include <numeric>

namespace {
// One poll: every interface's counters, and the time since the poll before.
struct Reading {
    QList<LinkCounters> interfaces;
    qint64 elapsedMsecs = 5000;
};
LinkCounters Link(int index, const char* name, quint64 rx, quint64 tx) {
    return {index, QString::fromLatin1(name), false, {rx, tx}};
}
LinkCounters Loopback(quint64 rx) {
    return {1, QStringLiteral("lo"), true, {rx, rx}};
}
using Readings = std::vector<Reading>;
using Moves = std::vector<Traffic>;
using Weights = std::vector<qint64>;
using Shares = std::vector<quint64>;
} // namespace

Q_DECLARE_METATYPE(Readings)
Q_DECLARE_METATYPE(Moves)
Q_DECLARE_METATYPE(Weights)
Q_DECLARE_METATYPE(Shares)

class TestTraffic : public QObject {
    Q_OBJECT
private slots:
    void meter_data() {
        QTest::addColumn<QStringList>("counted");
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<Moves>("moved"); // after each reading
        QTest::addColumn<QStringList>("jumps");
        const QStringList ppp{"ppp0"};
        QTest::newRow("the first reading only notes; a counter standing still moves nothing")
            << ppp
            << Readings{{{Link(5, "ppp0", 1000, 500)}},
                        {{Link(5, "ppp0", 1700, 900)}},
                        {{Link(5, "ppp0", 1700, 901)}}}
            << Moves{{0, 0}, {700, 400}, {0, 1}} << QStringList{};
        QTest::newRow("loopback and others never count")
            << ppp
            << Readings{{{Loopback(10), Link(2, "eth0", 0, 0), Link(5, "ppp0", 0, 0)}},
                        {{Loopback(90), Link(2, "eth0", 50, 50), Link(5, "ppp0", 3, 4)}}}
            << Moves{{0, 0}, {3, 4}} << QStringList{};
        QTest::newRow("counter backwards: made anew, from zero")
            << ppp << Readings{{{Link(5, "ppp0", 9000, 9000)}}, {{Link(5, "ppp0", 120, 80)}}}
            << Moves{{0, 0}, {120, 80}} << QStringList{};
        QTest::newRow("a new interface after the start: from zero")
            << ppp
            << Readings{{{Link(2, "eth0", 7, 7)}},
                        {{Link(2, "eth0", 9, 9), Link(6, "ppp0", 40, 30)}}}
            << Moves{{0, 0}, {40, 30}} << QStringList{};
        QTest::newRow("same name, new number: from zero")
            << ppp << Readings{{{Link(5, "ppp0", 100, 100)}}, {{Link(7, "ppp0", 150, 20)}}}
            << Moves{{0, 0}, {150, 20}} << QStringList{};
        QTest::newRow("gone and back: the gap's bytes are its own")
            << ppp << Readings{{{Link(5, "ppp0", 100, 100)}}, {{}}, {{Link(8, "ppp0", 30, 40)}}}
            << Moves{{0, 0}, {0, 0}, {30, 40}} << QStringList{};
        QTest::newRow("all counted links add up")
            << QStringList{"ppp0", "wwan0"}
            << Readings{{{Link(5, "ppp0", 0, 0), Link(9, "wwan0", 10, 10)}},
                        {{Link(5, "ppp0", 5, 6), Link(9, "wwan0", 17, 18)}}}
            << Moves{{0, 0}, {12, 14}} << QStringList{};
        QTest::newRow("64-bit counters past 4 GiB")
            << ppp
            << Readings{{{Link(5, "ppp0", 4'294'967'000ULL, 0)}},
                        {{Link(5, "ppp0", 4'294'968'000ULL, 5)}}}
            << Moves{{0, 0}, {1000, 5}} << QStringList{};
        const quint64 most = TrafficMeter::MostBytesPerSecond * 5;
        QTest::newRow("a jump beyond any link: told, not counted")
            << ppp
            << Readings{{{Link(5, "ppp0", 0, 0), Link(9, "wwan0", 0, 0)}},
                        {{Link(5, "ppp0", most + 1, 10), Link(9, "wwan0", 0, 0)}},
                        {{Link(5, "ppp0", most + 2, 11)}}}
            << Moves{{0, 0}, {0, 0}, {1, 1}} << QStringList{"ppp0"};
        QTest::newRow("as much as the fastest link carries counts")
            << ppp << Readings{{{Link(5, "ppp0", 0, 0)}}, {{Link(5, "ppp0", most, most)}}}
            << Moves{{0, 0}, {most, most}} << QStringList{};
    }
    void meter() {
        QFETCH(QStringList, counted);
        QFETCH(Readings, readings);
        QFETCH(Moves, moved);
        QFETCH(QStringList, jumps);
        TrafficMeter meter;
        QStringList told;
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const auto step = meter.Read(
                readings[i].interfaces, [&](const QString& name) { return counted.contains(name); },
                readings[i].elapsedMsecs);
            QCOMPARE(step.moved, moved[i]);
            told << step.jumps;
        }
        QCOMPARE(told, jumps);
        // Forgotten, the next reading only notes again.
        meter.Forget();
        QCOMPARE(meter
                     .Read(
                         readings.back().interfaces, [](const QString&) { return true; }, 1)
                     .moved,
                 Traffic{});
    }

    // Only what lies beyond the period's package is paid for, at the price of a mebibyte.
    void charge_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<quint64>("package"); // MiB
        QTest::addColumn<quint64>("usedBefore");
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("charge");
        QTest::addColumn<quint64>("leftAfter");
        const quint64 MiB = TrafficTerms::Mebibyte;
        QTest::newRow("no price, no package")
            << "0" << quint64(0) << quint64(0) << 5 * MiB << "0" << quint64(0);
        QTest::newRow("inside the package")
            << "2" << quint64(100) << 10 * MiB << 50 * MiB << "0" << 40 * MiB;
        QTest::newRow("crossing the package")
            << "2" << quint64(100) << 90 * MiB << 15 * MiB << "10" << quint64(0);
        QTest::newRow("past the package")
            << "1,5" << quint64(100) << 200 * MiB << MiB / 2 << "0,75" << quint64(0);
        QTest::newRow("one byte past, priced exactly")
            << "0,5" << quint64(1) << MiB << quint64(1) << "0,000000476837158203125" << quint64(0);
        QTest::newRow("the package as large as a count holds")
            << "9" << std::numeric_limits<quint64>::max() << quint64(0) << MiB << "0"
            << std::numeric_limits<quint64>::max() - MiB;
    }
    void charge() {
        QFETCH(QString, price);
        QFETCH(quint64, package);
        QFETCH(quint64, usedBefore);
        QFETCH(quint64, bytes);
        QFETCH(QString, charge);
        QFETCH(quint64, leftAfter);
        const TrafficTerms terms{price, package};
        QCOMPARE(TrafficCharge(terms, usedBefore, bytes).ExactText(), charge);
        QCOMPARE(PackageLeft(terms, usedBefore + bytes), leftAfter);
    }

    void shares_data() {
        QTest::addColumn<quint64>("total");
        QTest::addColumn<Weights>("weights");
        QTest::addColumn<Shares>("shares");
        QTest::newRow("one part") << quint64(1234) << Weights{5000} << Shares{1234};
        QTest::newRow("even") << quint64(1000) << Weights{1000, 3000} << Shares{250, 750};
        QTest::newRow("thirds: the leftover to the later part")
            << quint64(100) << Weights{1, 1, 1} << Shares{33, 33, 34};
        QTest::newRow("largest remainder first")
            << quint64(10) << Weights{3, 3, 1} << Shares{4, 4, 2};
        QTest::newRow("a part of no time gets nothing")
            << quint64(7) << Weights{0, 2000, 0} << Shares{0, 7, 0};
        QTest::newRow("no time at all: the last part")
            << quint64(9) << Weights{0, 0} << Shares{0, 9};
        QTest::newRow("nothing moved") << quint64(0) << Weights{1, 2} << Shares{0, 0};
        QTest::newRow("the largest counts, long weights")
            << std::numeric_limits<quint64>::max() << Weights{86'400'000LL * 40, 86'400'000LL * 40}
            << Shares{std::numeric_limits<quint64>::max() / 2,
                      std::numeric_limits<quint64>::max() / 2 + 1};
    }
    void shares() {
        QFETCH(quint64, total);
        QFETCH(Weights, weights);
        QFETCH(Shares, shares);
        const Shares got = ShareInProportion(total, weights);
        QCOMPARE(got, shares);
        QCOMPARE(std::accumulate(got.begin(), got.end(), quint64(0)), total);
    }
};

QTEST_GUILESS_MAIN(TestTraffic)
#include "tst_traffic.moc"
