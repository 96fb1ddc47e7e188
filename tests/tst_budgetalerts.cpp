#include "HeldCalls.h"
#include "TestFiles.h"
#include "settings/ProgramSettings.h"
#include "spend/BudgetAlerts.h"
#include "spend/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

// Budget alerts: each threshold told once per period and budget, remembered across a
// restart; given to a real notification service on a private session bus, and to the
// fallback when none answers.
namespace {
const BillingPeriod December{QDate(2026, 12, 15), QDate(2027, 1, 14)};
const Budget FiveHundred{15, 500, 10, {80, 100}};

QStringList Told(const std::vector<BudgetAlert>& alerts) {
    QStringList told;
    for (const BudgetAlert& a : alerts)
        told << QStringLiteral("%1 %2")
                    .arg(a.kind == BudgetAlert::Kind::Money  ? "money"
                         : a.kind == BudgetAlert::Kind::Time ? "time"
                                                             : "traffic")
                    .arg(a.percent);
    return told;
}
} // namespace

class TestBudgetAlerts : public QObject {
    Q_OBJECT
private:
    QProcess bus_;
    QProcess daemon_;
    QTemporaryDir log_;

private slots:
    void thresholds_data() {
        QTest::addColumn<QList<double>>("moneySteps"); // money at successive polls
        QTest::addColumn<QStringList>("told");         // all alerts given, in order
        QTest::newRow("below every threshold") << QList<double>{0, 100, 399.99} << QStringList{};
        QTest::newRow("80 then 100, once each")
            << QList<double>{100, 400, 450, 499, 500, 700} << QStringList{"money 80", "money 100"};
        QTest::newRow("a jump past both: the higher only")
            << QList<double>{10, 650, 700} << QStringList{"money 100"};
        QTest::newRow("spending that goes down (a record deleted) and up again")
            << QList<double>{410, 100, 420} << QStringList{"money 80"};
    }
    void thresholds() {
        QFETCH(QList<double>, moneySteps);
        QFETCH(QStringList, told);
        QTemporaryDir dir;
        ProgramSettings settings(dir.path());
        settings.Load();
        BudgetAlerts alerts(settings);
        QStringList all;
        for (double money : moneySteps)
            all += Told(alerts.Passed(December, money, 0, FiveHundred));
        QCOMPARE(all, told);
    }

    void timeBudgetToo() {
        QTemporaryDir dir;
        ProgramSettings settings(dir.path());
        settings.Load();
        BudgetAlerts alerts(settings);
        QCOMPARE(Told(alerts.Passed(December, 0, 8 * 3600, FiveHundred)), QStringList{"time 80"});
        const auto both = alerts.Passed(December, 450, 10 * 3600, FiveHundred);
        QCOMPARE(Told(both), (QStringList{"money 80", "time 100"}));
        QVERIFY2(both[0].text.contains("450,00\u00a0₽ из 500,00\u00a0₽ (90\u00a0%)"),
                 qPrintable(both[0].text));
        QVERIFY2(both[1].text.contains("10:00:00 из 10\u00a0ч"), qPrintable(both[1].text));
        // Traffic: received and sent together, counted in mebibytes.
        Budget withTraffic = FiveHundred;
        withTraffic.mebibytes = 2048;
        QVERIFY(alerts.Passed(December, 450, 10 * 3600, withTraffic, 1638ULL << 20).empty());
        const auto traffic = alerts.Passed(December, 450, 10 * 3600, withTraffic, 1639ULL << 20);
        QCOMPARE(Told(traffic), QStringList{"traffic 80"});
        QVERIFY2(
            traffic[0].text.contains("1\u00a0639,0\u00a0МБ из 2\u00a0048,0\u00a0МБ (80\u00a0%)"),
            qPrintable(traffic[0].text));
        // No budget, no alerts.
        QVERIFY(alerts.Passed(December, 1e6, 1e6, Budget{}).empty());
        // The smallest budget and the largest spending: the percent stays a number one can
        // read, its highest.
        const auto huge = alerts.Passed(December, 1e12, 0, Budget{15, 0.01, 0, {80, 100}});
        QCOMPARE(Told(huge), QStringList{"money 100"});
        QVERIFY2(huge[0].text.contains("(1000000\u00a0%)"), qPrintable(huge[0].text));
    }

    void rememberedAcrossARestartUntilTheNextPeriod() {
        QTemporaryDir dir;
        {
            ProgramSettings settings(dir.path());
            settings.Load();
            BudgetAlerts alerts(settings);
            QCOMPARE(Told(alerts.Passed(December, 420, 0, FiveHundred)), QStringList{"money 80"});
            QCOMPARE(alerts.WriteProblem(), std::nullopt);
        }
        ProgramSettings settings(dir.path());
        QCOMPARE(settings.Load(), std::nullopt);
        BudgetAlerts alerts(settings);
        QVERIFY(alerts.Passed(December, 430, 0, FiveHundred).empty()); // not told again
        QCOMPARE(Told(alerts.Passed(December, 510, 0, FiveHundred)), QStringList{"money 100"});
        // A raised budget counts afresh.
        Budget raised = FiveHundred;
        raised.money = 600;
        QCOMPARE(Told(alerts.Passed(December, 510, 0, raised)), QStringList{"money 80"});
        // The next period starts with nothing told.
        QCOMPARE(Told(alerts.Passed(December.Next(), 420, 0, FiveHundred)),
                 QStringList{"money 80"});
        ProgramSettings file(dir.path());
        file.Load();
        QCOMPARE(file.Value("Alerts/Period").toString(), QString("2027-01-15"));
    }

    // A file that cannot be written: told once all the same, and the trouble kept.
    void unwritableFileTellsOncePerRun() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("kelvora.ini"));
        ProgramSettings settings(dir.path());
        QVERIFY(settings.Load());
        BudgetAlerts alerts(settings);
        QCOMPARE(Told(alerts.Passed(December, 420, 0, FiveHundred)), QStringList{"money 80"});
        QVERIFY(alerts.WriteProblem());
        QVERIFY(alerts.Passed(December, 430, 0, FiveHundred).empty());
    }

    // No notification service on the bus: the fallback shows it.
    void fallbackWithoutAService() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        bus_.start(daemon, {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus_.waitForReadyRead(10000));
        const QByteArray address = bus_.readLine().trimmed();
        // Before the first use of the session bus, which Qt connects once.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::sessionBus().isConnected());

        QStringList shown;
        DesktopNotifier notifier([&](const QString& title, const QString&) { shown << title; });
        QSignalSpy fell(&notifier, &DesktopNotifier::FellBack);
        notifier.Notify("Бюджет периода: 80 %", "текст");
        QTRY_COMPARE_WITH_TIMEOUT(fell.count(), 1, 10000);
        QCOMPARE(shown, QStringList{"Бюджет периода: 80 %"});
    }

    // A notification service that hangs: the loop runs on while it holds the call, and
    // its late answer still counts as shown.
    void aServiceThatAnswersLate() {
        if (bus_.state() != QProcess::Running)
            QSKIP("no private bus");
        HeldCalls held;
        QDBusConnection hung = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), "hung");
        QVERIFY(hung.registerVirtualObject("/org/freedesktop/Notifications", &held));
        QVERIFY(hung.registerService("org.freedesktop.Notifications"));
        QStringList fallback;
        DesktopNotifier notifier([&](const QString& title, const QString&) { fallback << title; });
        QSignalSpy shown(&notifier, &DesktopNotifier::Shown);
        for (int i = 0; i < 3; ++i)
            notifier.Notify("Бюджет периода: 80 %", "текст");
        QTRY_COMPARE(held.Count("Notify"), 3); // all three sent, none waited for
        QVERIFY(shown.isEmpty() && fallback.isEmpty());
        for (const QDBusMessage& call : std::exchange(held.calls, {}))
            QVERIFY(hung.send(call.createReply(QVariant::fromValue(uint(7)))));
        QTRY_COMPARE(shown.count(), 3);
        QCOMPARE(shown.at(0).at(0).toUInt(), 7u);
        QVERIFY(fallback.isEmpty());
        // The next alert of a group takes the place of the one shown (id 7), with the
        // program's desktop entry named, and a spent budget as critical; another group
        // stacks.
        notifier.Notify("Бюджет периода: 80 %", "текст", "2026-12-15 money");
        QTRY_COMPARE(held.Count("Notify"), 1);
        QVERIFY(hung.send(held.calls.takeFirst().createReply(QVariant::fromValue(uint(8)))));
        QTRY_COMPARE(shown.count(), 4);
        notifier.Notify("Бюджет периода: 100 %", "текст", "2026-12-15 money", true);
        notifier.Notify("Время периода: 80 %", "текст", "2026-12-15 time");
        QTRY_COMPARE(held.Count("Notify"), 2);
        const QList<QVariant> replacing = held.calls.at(0).arguments();
        QCOMPARE(replacing.at(1).toUInt(), 8u);
        const QVariantMap hints = qdbus_cast<QVariantMap>(replacing.at(6));
        QCOMPARE(hints.value("urgency").value<uchar>(), uchar(2));
        QCOMPARE(hints.value("desktop-entry").toString(), QString("org.kelvora.Kelvora"));
        QCOMPARE(held.calls.at(1).arguments().at(1).toUInt(), 0u);
        QCOMPARE(qdbus_cast<QVariantMap>(held.calls.at(1).arguments().at(6))
                     .value("urgency")
                     .value<uchar>(),
                 uchar(1));
        QDBusConnection::disconnectFromBus("hung"); // the name is free for the next test
    }

    // python3-dbusmock's notification daemon answers: it gets the alert, no fallback.
    void aRealNotificationService() {
        if (bus_.state() != QProcess::Running)
            QSKIP("no private bus");
        if (QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) != 0)
            QSKIP("python3-dbusmock is not installed");
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start("/usr/bin/python3",
                      {"-m", "dbusmock", "--session", "--template", "notification_daemon", "-l",
                       log_.filePath("calls.log")});
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     "org.freedesktop.Notifications"),
                                 15000);
        QStringList fallback;
        DesktopNotifier notifier([&](const QString& title, const QString&) { fallback << title; });
        QSignalSpy shown(&notifier, &DesktopNotifier::Shown);
        notifier.Notify("Бюджет периода: 100 %",
                        "За период израсходовано 500,00\u00a0₽");
        QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 10000);
        QVERIFY(fallback.isEmpty());
        // What the service received, from its log.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log_.filePath("calls.log")), 5000);
        QFile calls(log_.filePath("calls.log"));
        QVERIFY(calls.open(QIODevice::ReadOnly));
        const QString seen = QString::fromUtf8(calls.readAll());
        QVERIFY2(seen.contains("Notify") && seen.contains("Kelvora"), qPrintable(seen));
    }

    void cleanupTestCase() {
        for (QProcess* process : {&daemon_, &bus_})
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
    }
};

QTEST_GUILESS_MAIN(TestBudgetAlerts)
#include "tst_budgetalerts.moc"
