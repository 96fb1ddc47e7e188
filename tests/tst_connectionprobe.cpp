#include "Fakes.h"
#include "accounting/ConnectionProbe.h"

#include <QtTest>

#include <arpa/inet.h>
#include <net/ethernet.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

// A script lists what each lookup of one call returns, separated by ";". Within a lookup,
// addresses are separated by ",", an empty lookup is an empty list, and "!" stands for a
// host name that cannot be resolved. The last lookup repeats.
static std::deque<QStringList> Script(const QString& text) {
    std::deque<QStringList> script;
    for (const QString& lookup : text.split(';'))
        script.push_back(lookup.isEmpty() ? QStringList{} : lookup.split(','));
    return script;
}

// "name|flags|addresses" per interface, flags of U (up), R (running) and L (loopback).
static QString Shown(SystemInterfaces& system, bool withIpv6) {
    const auto list = system.Interfaces(withIpv6);
    if (!list)
        return QStringLiteral("!");
    QStringList shown;
    for (const NetInterface& each : *list)
        shown << QStringLiteral("%1|%2%3%4|%5")
                     .arg(each.name, each.up ? "U" : "", each.running ? "R" : "",
                          each.loopback ? "L" : "", (each.ipv4 + each.ipv6).join('/'));
    return shown.join(' ');
}

static int Ip(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("ip"), arguments);
}

// Moves the test into a fresh network namespace with loopback alone (down), where `ip`
// changes nothing of the machine's; false where that takes more than the test has.
static bool OwnNetwork() {
    return geteuid() == 0 && !QStandardPaths::findExecutable("ip").isEmpty() &&
           ::unshare(CLONE_NEWNET) == 0;
}

class TestConnectionProbe : public QObject {
    Q_OBJECT
private slots:
    void decision_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("lookups");
        QTest::newRow("only loopback") << "127.0.0.1" << false << 2;
        QTest::newRow("one real address") << "10.1.2.3" << true << 2;
        QTest::newRow("two addresses, last differs from first")
            << "192.168.0.2,10.1.2.3" << true << 3;
        QTest::newRow("loopback last") << "10.1.2.3,127.0.0.1" << false << 2;
        QTest::newRow("loopback first") << "127.0.0.1,10.1.2.3" << true << 3;
        QTest::newRow("cannot resolve: no more lookups") << "!" << false << 1;
        QTest::newRow("empty list") << "" << false << 2;
        QTest::newRow("first lookup empty, the next not") << ";10.1.2.3" << false << 2;
        QTest::newRow("first lookup empty, then two more") << ";10.1.2.3;192.168.0.2" << false << 2;
        QTest::newRow("list changes: last equals third's first")
            << "192.168.0.2,10.1.2.3;192.168.0.2;10.1.2.3" << false << 3;
        QTest::newRow("list changes: last equals second's first")
            << "192.168.0.2,10.1.2.3;10.1.2.3" << true << 2;
        QTest::newRow("second lookup fails") << "10.1.2.3;!" << true << 3;
        QTest::newRow("link drops during the call") << "10.1.2.3;127.0.0.1;10.1.2.3" << false << 3;
    }
    void decision() {
        QFETCH(QString, script);
        QFETCH(bool, connected);
        QFETCH(int, lookups);
        ScriptedAddresses addresses;
        addresses.script = Script(script);
        ConnectionProbe probe(addresses);
        QCOMPARE(probe.IsConnected(), connected);
        QCOMPARE(addresses.lookups, lookups);
    }

    void firstOwnAddress() {
        ScriptedAddresses addresses;
        ConnectionProbe probe(addresses);
        addresses.Always(QStringList{"10.0.0.1", "10.0.0.2"});
        QCOMPARE(probe.FirstOwnAddress(), QStringLiteral("10.0.0.1"));
        addresses.Always({ScriptedAddresses::Unresolvable});
        QCOMPARE(probe.FirstOwnAddress(), QString());
        addresses.Always(QStringList{});
        QCOMPARE(probe.FirstOwnAddress(), QString());
    }

    void systemAddressesAreDottedIPv4() {
        SystemAddresses system;
        const auto list = system.OwnAddresses();
        QVERIFY(list && !list->isEmpty());
        const QRegularExpression dotted("^\\d{1,3}(\\.\\d{1,3}){3}$");
        for (const QString& a : *list) {
            QVERIFY2(dotted.match(a).hasMatch(), qPrintable(a));
            QVERIFY(list->size() == 1 || !a.startsWith("127."));
        }
    }

    // The interfaces as the system changes them, in a network namespace of the test's own
    // (the rest of the test runs in it too): each change shows at the next lookup.
    void systemInterfacesFollowTheKernel() {
        if (!OwnNetwork())
            QSKIP("needs root and iproute2 for a network namespace of its own");
        SystemInterfaces system;
        // kv0 is one end of a pair whose other end, kvp, is up: kv0 has carrier while up.
        const struct {
            const char* command; // for `ip`
            const char* all;     // with IPv6, after loopback
            const char* cheap;   // IPv4 only, after loopback
        } steps[] = {
            {"", "kvp|| kv0||", ""}, // made below
            {"link set kvp up", "kvp|U| kv0||", ""},
            {"addr add 10.9.0.1/24 dev kv0", "kvp|U| kv0||10.9.0.1", "kv0||10.9.0.1"},
            {"link set kv0 up", "kvp|UR| kv0|UR|10.9.0.1", "kv0|UR|10.9.0.1"},
            {"addr add 2001:db8::1/64 dev kv0 nodad", "kvp|UR| kv0|UR|10.9.0.1/2001:db8::1",
             "kv0|UR|10.9.0.1"},
            // A unique local address is no Internet address.
            {"addr add fd00::5/64 dev kv0 nodad", "kvp|UR| kv0|UR|10.9.0.1/2001:db8::1",
             "kv0|UR|10.9.0.1"},
            // A point-to-point address: its own end, not the far one.
            {"addr add 10.9.1.1 peer 10.9.1.2 dev kv0",
             "kvp|UR| kv0|UR|10.9.0.1/10.9.1.1/2001:db8::1", "kv0|UR|10.9.0.1/10.9.1.1"},
            {"link set kvp down", "kvp|| kv0|U|10.9.0.1/10.9.1.1/2001:db8::1",
             "kv0|U|10.9.0.1/10.9.1.1"},
            // Down, its IPv6 addresses go with it.
            {"link set kv0 down", "kvp|| kv0||10.9.0.1/10.9.1.1", "kv0||10.9.0.1/10.9.1.1"},
            {"link set kv0 name kv1", "kvp|| kv1||10.9.0.1/10.9.1.1", "kv1||10.9.0.1/10.9.1.1"},
            {"addr del 10.9.0.1/24 dev kv1", "kvp|| kv1||10.9.1.1", "kv1||10.9.1.1"},
            {"link del kv1", "", ""},
        };
        QCOMPARE(Shown(system, true), QStringLiteral("lo|L|")); // a new namespace's
        QCOMPARE(Shown(system, false), QString());
        QCOMPARE(Ip({"link", "set", "lo", "up"}), 0);
        const QString lo = QStringLiteral("lo|URL|127.0.0.1");
        if (Ip({"link", "add", "kv0", "type", "veth", "peer", "name", "kvp"}) != 0)
            QSKIP("no veth in this kernel");
        for (const auto& step : steps) {
            if (*step.command)
                QCOMPARE(Ip(QString::fromLatin1(step.command).split(' ')), 0);
            const auto after = [&](const char* rest) {
                return *rest ? lo + ' ' + QString::fromLatin1(rest) : lo;
            };
            QTRY_COMPARE(Shown(system, true), after(step.all));
            QCOMPARE(Shown(system, false), after(step.cheap));
        }
    }

    // More changes at once than the kernel keeps for a reader: the table is read afresh. And
    // the traffic counters.
    void systemInterfacesAfterLostChanges() {
        if (!OwnNetwork())
            QSKIP("needs root and iproute2 for a network namespace of its own");
        SystemInterfaces system;
        QVERIFY(system.Interfaces(true));
        QCOMPARE(Ip({"link", "set", "lo", "up"}), 0);
        if (Ip({"link", "add", "kv2", "type", "veth", "peer", "name", "kv3"}) != 0)
            QSKIP("no veth in this kernel");
        QTemporaryFile batch;
        QVERIFY(batch.open());
        for (int i = 0; i < 8000; ++i)
            batch.write(QStringLiteral("addr add 10.%1.%2.1/32 dev kv2\n")
                            .arg(20 + i / 250)
                            .arg(i % 250)
                            .toLatin1());
        batch.close();
        QCOMPARE(Ip({"-batch", batch.fileName()}), 0);
        QCOMPARE(Ip({"link", "set", "kv2", "up"}), 0);
        const auto counted = [&] {
            const auto list = system.Interfaces(false);
            return list && list->size() == 2 ? list->last().ipv4.size() : -1;
        };
        QTRY_COMPARE(counted(), 8000);
        QCOMPARE(system.Interfaces(false)->last().ipv4.last(), QStringLiteral("10.51.249.1"));

        // The traffic counters come with the link's own news.
        const NetInterface before = system.Interfaces(true)->first();
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(9);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const char datagram[1000] = {};
        for (int i = 0; i < 10; ++i)
            QCOMPARE(::sendto(fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&to),
                              sizeof to),
                     ssize_t(sizeof datagram));
        ::close(fd);
        QCOMPARE(Ip({"link", "set", "lo", "mtu", "65000"}), 0);
        QTRY_VERIFY(system.Interfaces(true)->first().rxBytes >= before.rxBytes + 10'000);
        const NetInterface after = system.Interfaces(true)->first();
        QVERIFY(after.txBytes >= before.txBytes + 10'000);
        QVERIFY(after.rxBytes < before.rxBytes + 20'000);
        QCOMPARE(after.index, 1);

        // Asked for, the counters are as they are now, with no word from the link: frames
        // sent from kv2 show at once on both ends.
        QCOMPARE(Ip({"link", "set", "kv3", "up"}), 0);
        const auto now = [&](const char* name) {
            const auto list = system.Counters().value_or(QList<NetInterface>());
            const auto at = std::find_if(list.begin(), list.end(), [&](const NetInterface& each) {
                return each.name == QLatin1String(name);
            });
            return at == list.end() ? NetInterface{} : *at;
        };
        QVERIFY(now("lo").loopback);
        QCOMPARE(now("kv2").ipv4.size(), 8000);
        const NetInterface sending = now("kv2"), receiving = now("kv3");
        QVERIFY(sending.index > 1 && receiving.index > 1);
        const int raw = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0);
        QVERIFY(raw >= 0);
        sockaddr_ll link{};
        link.sll_family = AF_PACKET;
        link.sll_ifindex = sending.index;
        char frame[1000] = {}; // to nobody's address, of a kind nobody takes
        std::memset(frame, 0xff, ETH_ALEN);
        frame[2 * ETH_ALEN] = char(0x88), frame[2 * ETH_ALEN + 1] = char(0xb5);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(::sendto(raw, frame, sizeof frame, 0, reinterpret_cast<sockaddr*>(&link),
                              sizeof link),
                     ssize_t(sizeof frame));
        ::close(raw);
        QTRY_VERIFY(now("kv2").txBytes >= sending.txBytes + 10'000);
        QTRY_VERIFY(now("kv3").rxBytes >= receiving.rxBytes + 10'000);
    }
};

QTEST_GUILESS_MAIN(TestConnectionProbe)
#include "tst_connectionprobe.moc"
