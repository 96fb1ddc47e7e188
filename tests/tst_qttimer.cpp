#include "accounting/QtTimer.h"

#include <QtTest>

// The tracker's timers on QTimer, held while no one sees their work. Real time, short
// intervals: what is counted is taken from the clock, so a slow machine changes no result.
// Time is let pass by waiting for a reference timer's ticks, never by sleeping.
namespace {
// Returns once a timer of `msecs` has fired `ticks` times, however long that takes.
void LetPass(int msecs, int ticks = 1) {
    int fired = 0;
    QTimer reference;
    reference.setTimerType(Qt::PreciseTimer);
    QObject::connect(&reference, &QTimer::timeout, [&] { ++fired; });
    reference.start(msecs);
    QTRY_VERIFY_WITH_TIMEOUT(fired >= ticks, 60'000);
}
} // namespace

class TestQtTimer : public QObject {
    Q_OBJECT
private slots:
    void heldItFiresNotAndCatchesUpOnceReleased() {
        int fired = 0;
        QList<int> caughtUp;
        QtTimer timer(
            40, [&] { ++fired; }, [&](int missed) { caughtUp << missed; });
        timer.Enable();
        timer.SetHeld(true);
        QVERIFY(timer.IsEnabled()); // for the tracker it still runs
        QElapsedTimer waited;
        waited.start();
        LetPass(40, 6);
        QCOMPARE(fired, 0);
        QVERIFY(caughtUp.isEmpty());
        const qint64 held = waited.elapsed();
        timer.SetHeld(false);
        QCOMPARE(caughtUp.size(), 1); // at once, in one call
        QVERIFY(caughtUp[0] >= 5 && caughtUp[0] <= held / 40);
        QTRY_VERIFY(fired >= 1); // and on in its rhythm
        QCOMPARE(caughtUp.size(), 1);
    }

    void aTimerDisabledOrNotYetDueWhileHeldHasNothingToCatchUp() {
        int fired = 0;
        QList<int> caughtUp;
        QtTimer timer(
            10'000, [&] { ++fired; }, [&](int missed) { caughtUp << missed; });
        timer.Enable();
        timer.SetHeld(true);
        timer.SetHeld(false); // less than an interval held
        QVERIFY(caughtUp.isEmpty());

        QtTimer fast(
            20, [&] { ++fired; }, [&](int missed) { caughtUp << missed; });
        fast.SetHeld(true);
        fast.Enable(); // enabled while held: waits for the release
        QVERIFY(fast.IsEnabled());
        LetPass(20, 3);
        QCOMPARE(fired, 0);
        fast.Disable();
        fast.SetHeld(false);
        QVERIFY(caughtUp.isEmpty());
        QVERIFY(!fast.IsEnabled());
        LetPass(20, 3);
        QCOMPARE(fired, 0);
    }

    // Told by the order of firing, not by a clock: the timer enabled again 100 ms in must
    // still come before a mark at 200 ms, which a restart (due at 250 ms) would let pass first.
    void enablingAnEnabledTimerKeepsItsInterval() {
        QStringList order;
        QtTimer timer(150, [&] { order << "timer"; });
        QTimer mark;
        mark.setTimerType(Qt::PreciseTimer);
        mark.setSingleShot(true);
        QObject::connect(&mark, &QTimer::timeout, [&] { order << "mark"; });
        timer.Enable();
        mark.start(200);
        LetPass(100);
        timer.Enable();
        QTRY_VERIFY(order.contains("mark") && order.contains("timer"));
        QCOMPARE(order.first(), QString("timer"));
        QCOMPARE(timer.Interval(), 150);
    }

    void withoutACatchUpTheHandlerRunsOnce() {
        int fired = 0;
        QtTimer timer(20, [&] { ++fired; });
        timer.Enable();
        timer.SetHeld(true);
        LetPass(20, 5);
        timer.SetHeld(false);
        QCOMPARE(fired, 1);
    }
};

QTEST_GUILESS_MAIN(TestQtTimer)
#include "tst_qttimer.moc"
