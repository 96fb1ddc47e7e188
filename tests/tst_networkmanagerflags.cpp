#include "HeldCalls.h"
#include "link/CountedLink.h"
#include "link/LinkAddresses.h"
#include "link/NetworkManagerFlags.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

// The metered mode against a real D-Bus: a private bus stands in for the system bus, and
// python3-dbusmock's NetworkManager template answers on it, comes and goes.
namespace {
const QString Mock = QStringLiteral("org.freedesktop.DBus.Mock");
const QString DeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");

class TwoLinks final : public InterfaceSource {
public:
    std::optional<QList<NetInterface>> Interfaces(bool) override {
        QList<NetInterface> list;
        for (const char* name : {"wlan0", "ppp0"}) {
            NetInterface link;
            link.name = QString::fromLatin1(name);
            link.up = link.running = true;
            link.ipv4 << (link.name == "wlan0" ? "192.168.2.5" : "10.64.0.2");
            list << link;
        }
        return list;
    }
};

QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.NetworkManager"), path, interface, method);
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call, QDBus::Block, 5000);
}

QVariant Uint(uint value) {
    return QVariant::fromValue(QDBusVariant(QVariant::fromValue(value)));
}
} // namespace

class TestNetworkManagerFlags : public QObject {
    Q_OBJECT
private:
    QProcess bus_;
    QProcess manager_;
    QString address_;
    TwoLinks interfaces_;
    NetworkManagerFlags* flags_ = nullptr;

    QString Counted() {
        LinkAddresses source(
            interfaces_, [this]() -> MeteredFlags& { return *flags_; },
            LinkChoice(LinkMode::Metered, {}));
        return source.OwnAddresses()->join(',');
    }

    // A device of the mock with a Metered property; returns its object path.
    QString AddDevice(const char* method, const QString& id, const QString& name) {
        const QDBusMessage added =
            Call("/org/freedesktop", Mock, QString::fromLatin1(method), {id, name, 100});
        [&] {
            QCOMPARE(added.type(), QDBusMessage::ReplyMessage);
        }();
        const QString path = added.arguments().value(0).toString();
        Call(path, Mock, "AddProperty", {DeviceInterface, "Metered", Uint(0)});
        return path;
    }
    void SetProperty(const QString& path, const QString& name, const QVariant& value) {
        const QDBusMessage reply =
            Call(path, "org.freedesktop.DBus.Properties", "Set", {DeviceInterface, name, value});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    }

private slots:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        if (QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) != 0)
            QSKIP("python3-dbusmock is not installed");
        bus_.start(daemon, {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus_.waitForReadyRead(10000));
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        address_ = QString::fromUtf8(address);
        // Before the first use of the system bus, which Qt connects once.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::systemBus().isConnected());
        flags_ = new NetworkManagerFlags(this);
    }

    void cleanupTestCase() {
        for (QProcess* process : {&manager_, &bus_})
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
    }

    void withoutNetworkManagerUsualNamesCount() {
        QVERIFY(!flags_->Answers());
        QCOMPARE(Counted(), QStringLiteral("10.64.0.2"));
    }

    void followsNetworkManager() {
        QSignalSpy changed(flags_, &NetworkManagerFlags::Changed);
        manager_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        manager_.start("/usr/bin/python3",
                       {"-m", "dbusmock", "--system", "--template", "networkmanager"});
        QTRY_VERIFY_WITH_TIMEOUT(flags_->Answers(), 15000);
        QVERIFY(changed.count() >= 1);
        // NetworkManager answers and knows no device: nothing is metered, ppp0 included.
        QCOMPARE(Counted(), QStringLiteral("127.0.0.1"));

        const QString wifi = AddDevice("AddWiFiDevice", "wifi0", "wlan0");
        QTRY_COMPARE(flags_->FlagOf("wlan0"), std::optional(Metered::Unknown));
        SetProperty(wifi, "Metered", Uint(uint(Metered::Yes)));
        QTRY_COMPARE(flags_->FlagOf("wlan0"), std::optional(Metered::Yes));
        QCOMPARE(Counted(), QStringLiteral("192.168.2.5"));
        SetProperty(wifi, "Metered", Uint(uint(Metered::No)));
        QTRY_COMPARE(flags_->FlagOf("wlan0"), std::optional(Metered::No));
        QCOMPARE(Counted(), QStringLiteral("127.0.0.1"));
        SetProperty(wifi, "Metered", Uint(uint(Metered::GuessYes)));
        QTRY_COMPARE(Counted(), QStringLiteral("192.168.2.5"));
        SetProperty(wifi, "Metered", Uint(uint(Metered::GuessNo)));
        QTRY_COMPARE(Counted(), QStringLiteral("127.0.0.1"));

        // A modem: the device is its serial port, its IP interface the ppp0 it dials.
        const QString modem = AddDevice("AddEthernetDevice", "modem0", "ttyUSB2");
        SetProperty(modem, "IpInterface", QVariant::fromValue(QDBusVariant(QString("ppp0"))));
        SetProperty(modem, "Metered", Uint(uint(Metered::GuessYes)));
        QTRY_COMPARE(flags_->FlagOf("ppp0"), std::optional(Metered::GuessYes));
        QCOMPARE(Counted(), QStringLiteral("10.64.0.2"));

        // A start in the metered mode while the manager runs with its devices: every device
        // and its flag read at once, with no change to announce them and before any poll.
        QTemporaryDir dir;
        QFile ini(dir.filePath("kelvora.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write("[Link]\nMode=metered\n") > 0);
        ini.close();
        {
            CountedLink link(dir.path(), &interfaces_);
            QSignalSpy read(&link.NetworkManager(), &NetworkManagerFlags::Changed);
            QTRY_VERIFY(!read.isEmpty());
            QTRY_COMPARE(link.NetworkManager().FlagOf("ppp0"), std::optional(Metered::GuessYes));
            QTRY_COMPARE(link.NetworkManager().FlagOf("wlan0"), std::optional(Metered::GuessNo));
            QCOMPARE(link.NetworkManager().FlagOf("ttyUSB2"), std::optional(Metered::GuessYes));
            QCOMPARE(link.Addresses().OwnAddresses()->join(','), QStringLiteral("10.64.0.2"));
        }

        // The Wi-Fi device goes away.
        SetProperty(wifi, "Metered", Uint(uint(Metered::Yes)));
        QTRY_COMPARE(Counted(), QStringLiteral("192.168.2.5,10.64.0.2"));
        Call("/org/freedesktop/NetworkManager", Mock, "EmitSignal",
             {"org.freedesktop.NetworkManager", "DeviceRemoved", "o",
              QVariant::fromValue(QVariantList{
                  QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(wifi))))})});
        QTRY_COMPARE(flags_->FlagOf("wlan0"), std::nullopt);
        QCOMPARE(Counted(), QStringLiteral("10.64.0.2"));
    }

    // NetworkManager stops: back to the usual names, and no stale flags.
    void networkManagerGoesAway() {
        if (manager_.state() == QProcess::NotRunning)
            QSKIP("needs the mock of the test before");
        manager_.terminate();
        QVERIFY(manager_.waitForFinished(10000));
        QTRY_VERIFY(!flags_->Answers());
        QCOMPARE(flags_->FlagOf("ppp0"), std::nullopt);
        QCOMPARE(Counted(), QStringLiteral("10.64.0.2"));
    }

    // A manager that answers late or hangs: the loop runs on meanwhile, late answers count,
    // and answers of a manager that has gone change nothing.
    void aManagerThatAnswersLate() {
        if (manager_.state() != QProcess::NotRunning)
            QSKIP("the mock still holds the name");
        HeldCalls held;
        QDBusConnection hung = QDBusConnection::connectToBus(address_, "hung");
        QVERIFY(hung.registerVirtualObject("/org/freedesktop/NetworkManager", &held,
                                           QDBusConnection::SubPath));
        QVERIFY(hung.registerService("org.freedesktop.NetworkManager"));
        QTRY_COMPARE(held.Count("GetDevices"), 1);

        // Ten devices announced while the list is not answered: each is asked about at once.
        QStringList paths;
        const auto announce = [&](const QString& path) {
            QDBusMessage added = QDBusMessage::createSignal(
                "/org/freedesktop/NetworkManager", "org.freedesktop.NetworkManager", "DeviceAdded");
            added << QVariant::fromValue(QDBusObjectPath(path));
            QVERIFY(hung.send(added));
        };
        for (int i = 0; i < 10; ++i) {
            paths << QStringLiteral("/org/freedesktop/NetworkManager/Devices/%1").arg(i);
            announce(paths.last());
        }
        QTRY_COMPARE(held.Count("GetAll"), 10);
        int turns = 0;
        QTimer ticks;
        connect(&ticks, &QTimer::timeout, [&] { ++turns; });
        ticks.start(0);
        QTRY_VERIFY(turns >= 10);
        QCOMPARE(held.calls.size(), 11); // none answered meanwhile, none asked twice
        QVERIFY(flags_->Answers());
        QCOMPARE(flags_->FlagOf("ppp3"), std::nullopt); // not read yet

        // The answers come: the list first, which reads every device afresh, then each device.
        const auto answer = [&] {
            for (const QDBusMessage& call : std::exchange(held.calls, {})) {
                QVariant reply;
                if (call.member() == "Ping") {
                    QVERIFY(hung.send(call.createReply()));
                    continue;
                }
                if (call.member() == "GetDevices") {
                    QList<QDBusObjectPath> list;
                    for (const QString& path : paths)
                        list << QDBusObjectPath(path);
                    reply = QVariant::fromValue(list);
                } else {
                    const QString n = call.path().section('/', -1);
                    reply = QVariantMap{
                        {"Interface", "ttyUSB" + n},
                        {"IpInterface", "ppp" + n},
                        {"Metered", n.toUInt() % 2 ? uint(Metered::Yes) : uint(Metered::No)}};
                }
                QVERIFY(hung.send(call.createReply(reply)));
            }
        };
        answer();
        QTRY_COMPARE(held.Count("GetAll"), 10);
        answer();
        QTRY_COMPARE(flags_->FlagOf("ppp3"), std::optional(Metered::Yes));
        QTRY_COMPARE(flags_->FlagOf("ttyUSB4"), std::optional(Metered::No));
        QCOMPARE(Counted(), QStringLiteral("127.0.0.1"));

        // It goes while a device is asked about, and comes back: the gone one's late answer
        // is dropped, even when it comes after the new one has listed that device.
        announce(paths[3]);
        QTRY_COMPARE(held.Count("GetAll"), 1);
        const QDBusMessage late = held.calls.takeFirst();
        QVERIFY(hung.unregisterService("org.freedesktop.NetworkManager"));
        QTRY_VERIFY(!flags_->Answers());
        QVERIFY(hung.registerService("org.freedesktop.NetworkManager"));
        QTRY_COMPARE(held.Count("GetDevices"), 1);
        answer();
        QTRY_COMPARE(held.Count("GetAll"), 10);
        const QList<QDBusMessage> fresh = std::exchange(held.calls, {late});
        // Answers what is held, then a call of the test's own, which comes back after them.
        const auto answerAndSettle = [&] {
            answer();
            QDBusPendingCallWatcher ping(
                QDBusConnection::systemBus().asyncCall(QDBusMessage::createMethodCall(
                    hung.baseService(), "/org/freedesktop/NetworkManager", "local.test", "Ping")));
            QSignalSpy pinged(&ping, &QDBusPendingCallWatcher::finished);
            QTRY_COMPARE(held.Count("Ping"), 1);
            answer();
            QTRY_COMPARE(pinged.count(), 1);
        };
        answerAndSettle();
        QCOMPARE(flags_->FlagOf("ppp3"), std::nullopt);
        held.calls = fresh;
        answerAndSettle();
        QCOMPARE(flags_->FlagOf("ppp3"), std::optional(Metered::Yes));

        // It comes and goes before it has listed its devices: that list, sent late, is dropped.
        QSignalSpy changed(flags_, &NetworkManagerFlags::Changed);
        QVERIFY(hung.unregisterService("org.freedesktop.NetworkManager"));
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(hung.registerService("org.freedesktop.NetworkManager"));
        QTRY_COMPARE(held.Count("GetDevices"), 1);
        QVERIFY(hung.unregisterService("org.freedesktop.NetworkManager"));
        QTRY_COMPARE(changed.count(), 2);
        answerAndSettle();
        QVERIFY(!flags_->Answers());
        QCOMPARE(Counted(), QStringLiteral("10.64.0.2"));
        QDBusConnection::disconnectFromBus("hung");
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerFlags)
#include "tst_networkmanagerflags.moc"
