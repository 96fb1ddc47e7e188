#include "accounting/ConnectionProbe.h"
#include "link/InterfaceKind.h"
#include "link/LinkAddresses.h"
#include "link/LinkTraffic.h"

#include <QtTest>

namespace {
// The machine's interfaces as a test sets them; counts the questions and what they asked.
class FakeInterfaces final : public InterfaceSource {
public:
    std::optional<QList<NetInterface>> Interfaces(bool withIpv6) override {
        ++lookups;
        askedIpv6 = withIpv6;
        if (unavailable)
            return std::nullopt;
        QList<NetInterface> shown = list;
        if (!withIpv6) {
            // As the cheap question answers: only interfaces with IPv4, and no IPv6.
            shown.removeIf([](const NetInterface& each) { return each.ipv4.isEmpty(); });
            for (NetInterface& each : shown)
                each.ipv6.clear();
        }
        return shown;
    }
    std::optional<QList<NetInterface>> Counters() override {
        if (unavailable)
            return std::nullopt;
        return list;
    }
    QList<NetInterface> list;
    bool unavailable = false;
    int lookups = 0;
    bool askedIpv6 = false;
};

class FakeMetered final : public MeteredFlags {
public:
    bool Answers() override {
        ++questions;
        return answers;
    }
    std::optional<Metered> FlagOf(const QString& name) override {
        ++questions;
        return flags.contains(name) ? std::optional(flags.value(name)) : std::nullopt;
    }
    bool answers = true;
    QHash<QString, Metered> flags;
    int questions = 0;
};

// "name:flags:addresses" with flags of U (up), R (running, carrier) and L (loopback), and
// addresses separated by "/" (those with a colon are IPv6).
NetInterface Link(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('|'));
    NetInterface link;
    link.name = parts.value(0);
    const QString flags = parts.value(1);
    link.up = flags.contains(QLatin1Char('U'));
    link.running = flags.contains(QLatin1Char('R'));
    link.loopback = flags.contains(QLatin1Char('L'));
    for (const QString& address : parts.value(2).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        (address.contains(QLatin1Char(':')) ? link.ipv6 : link.ipv4) << address;
    return link;
}

// Numbered from 1 in order, each with counters of its own.
QList<NetInterface> Links(const QString& text) {
    QList<NetInterface> list;
    for (const QString& each : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        list << Link(each);
        list.last().index = int(list.size());
        list.last().rxBytes = 1000 * quint64(list.size());
        list.last().txBytes = 7 * quint64(list.size());
    }
    return list;
}

LinkChoice Choice(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '));
    return LinkChoice(*ModeOfWord(parts.value(0)), PatternsOf({parts.mid(1).join(',')}));
}
} // namespace

class TestLinkFilter : public QObject {
    Q_OBJECT
private slots:
    // What the probe is handed, and so what it decides, for each mode and machine.
    void addresses_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("machine");
        QTest::addColumn<QString>("addresses");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("traffic"); // the interfaces whose bytes count

        const QString home = "lo|ULR|127.0.0.1 eth0|UR|192.168.1.5/2001:db8::5 "
                             "ppp0|UR|10.64.0.2";
        QTest::newRow("all: every IPv4 but loopback, as before")
            << "all" << home << "192.168.1.5,10.64.0.2" << true << "eth0 ppp0";
        QTest::newRow("chosen ppp*: only the modem")
            << "chosen ppp*" << home << "10.64.0.2" << true << "ppp0";
        QTest::newRow("chosen by exact name")
            << "chosen eth0" << home << "192.168.1.5,2001:db8::5" << true << "eth0";
        QTest::newRow("chosen: several patterns")
            << "chosen wwan*, ppp?" << home << "10.64.0.2" << true << "ppp0";
        QTest::newRow("chosen: pattern fits nothing")
            << "chosen wwan*" << home << "127.0.0.1" << false << "";
        QTest::newRow("chosen: no patterns at all")
            << "chosen" << home << "127.0.0.1" << false << "";
        QTest::newRow("chosen: a name is not a prefix")
            << "chosen ppp" << home << "127.0.0.1" << false << "";
        QTest::newRow("chosen: loopback never counts")
            << "chosen lo" << home << "127.0.0.1" << false << "";

        // Carrier, in every mode.
        const QString unplugged = "eth0|U|192.168.1.5 ppp0|UR|10.64.0.2";
        QTest::newRow("all: a static address without cable")
            << "all" << unplugged << "10.64.0.2" << true << "ppp0";
        QTest::newRow("all: nothing with carrier") << "all"
                                                   << "eth0|U|192.168.1.5 ppp0|U|10.64.0.2"
                                                   << "127.0.0.1" << false << "";
        QTest::newRow("chosen: the chosen one without carrier")
            << "chosen eth0" << unplugged << "127.0.0.1" << false << "eth0";
        QTest::newRow("metered: without carrier") << "metered"
                                                  << "ppp0|U|10.64.0.2"
                                                  << "127.0.0.1" << false << "";
        QTest::newRow("metered: a metered link without carrier; its last bytes count")
            << "metered"
            << "wwan0|U|10.1.0.1"
            << "127.0.0.1" << false << "wwan0";
        QTest::newRow("all: down but running") << "all"
                                               << "eth0|R|192.168.1.5"
                                               << "127.0.0.1" << false << "";

        // IPv6.
        const QString v6only = "eth0|UR|192.168.1.5 wwan0|UR|2001:db8::77";
        QTest::newRow("all: IPv6 alone does not count")
            << "all" << v6only << "192.168.1.5" << true << "eth0";
        QTest::newRow("all: a machine with only IPv6") << "all"
                                                       << "wwan0|UR|2001:db8::77"
                                                       << "127.0.0.1" << false << "";
        QTest::newRow("chosen: a link with only IPv6 counts")
            << "chosen wwan*" << v6only << "2001:db8::77" << true << "wwan0";
        QTest::newRow("metered: a link with only IPv6 counts")
            << "metered" << v6only << "2001:db8::77" << true << "wwan0";
        QTest::newRow("chosen: a unique local address is no Internet address")
            << "chosen eth0"
            << "eth0|UR|fd00::5/fe80::5/fdff::1/fc00::1/fec0::1/::1/ff02::1"
            << "127.0.0.1" << false << "eth0";
        QTest::newRow("metered: a unique local address is no Internet address")
            << "metered"
            << "wwan0|UR|fd12:3456::1 eth0|UR|2001:db8::5"
            << "127.0.0.1" << false << "wwan0";
        QTest::newRow("chosen: a global address beside a unique local one")
            << "chosen wwan0"
            << "wwan0|UR|fd12:3456::1/2001:db8::77/fbff::1"
            << "2001:db8::77,fbff::1" << true << "wwan0";
        QTest::newRow("chosen: IPv4 before IPv6, interface by interface")
            << "chosen *"
            << "a|UR|2001:db8::1/10.0.0.1 b|UR|10.0.0.2"
            << "10.0.0.1,2001:db8::1,10.0.0.2" << true << "a b";

        // Metered, as FakeMetered below reports: wwan0 yes, wlan0 guess-yes, eth0 no,
        // usb0 guess-no, enx1 unknown; ppp0 no device.
        const QString many = "eth0|UR|192.168.1.5 wlan0|UR|192.168.2.5 wwan0|UR|10.1.0.1 "
                             "usb0|UR|10.2.0.1 enx1|UR|10.3.0.1 ppp0|UR|10.64.0.2";
        QTest::newRow("metered: yes and guess-yes count")
            << "metered" << many << "192.168.2.5,10.1.0.1" << true << "wlan0 wwan0";
        QTest::newRow("metered: the patterns play no part")
            << "metered ppp*" << many << "192.168.2.5,10.1.0.1" << true << "wlan0 wwan0";
        QTest::newRow("metered: only unmetered links") << "metered"
                                                       << "eth0|UR|192.168.1.5 usb0|UR|10.2.0.1"
                                                       << "127.0.0.1" << false << "";
    }
    void addresses() {
        QFETCH(QString, choice);
        QFETCH(QString, machine);
        QFETCH(QString, addresses);
        QFETCH(bool, connected);
        QFETCH(QString, traffic);
        FakeInterfaces interfaces;
        interfaces.list = Links(machine);
        FakeMetered metered;
        metered.flags = {{"wwan0", Metered::Yes},
                         {"wlan0", Metered::GuessYes},
                         {"eth0", Metered::No},
                         {"usb0", Metered::GuessNo},
                         {"enx1", Metered::Unknown}};
        LinkAddresses source(
            interfaces, [&]() -> MeteredFlags& { return metered; }, Choice(choice));
        QCOMPARE(source.OwnAddresses()->join(','), addresses);
        ConnectionProbe probe(source);
        QCOMPARE(probe.IsConnected(), connected);
        // The meter's view: every interface's counters; which are the connection.
        LinkTraffic meter(interfaces, source.Choice(), [&]() -> MeteredFlags& { return metered; });
        const auto counters = meter.Counters();
        QCOMPARE(counters->size(), interfaces.list.size());
        QStringList counted;
        for (const LinkCounters& each : *counters) {
            const NetInterface& link = interfaces.list.at(each.index - 1);
            QCOMPARE(each.name, link.name);
            QCOMPARE(each.loopback, link.loopback);
            QCOMPARE(each.total, (Traffic{link.rxBytes, link.txBytes}));
            if (meter.Counted(each.name))
                counted << each.name;
        }
        QCOMPARE(counted.join(' '), traffic);
        // The default mode keeps the cheap question and never asks a network manager.
        QCOMPARE(interfaces.askedIpv6, source.Choice().mode() != LinkMode::All);
        if (source.Choice().mode() != LinkMode::Metered)
            QCOMPARE(metered.questions, 0);
    }

    // Without a network manager the metered mode counts the usual modem and dial-up names.
    void meteredWithoutNetworkManager_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("counts");
        for (const char* name : {"ppp0", "ppp12", "wwan0", "wwp0s20f0u6"})
            QTest::newRow(name) << name << true;
        for (const char* name : {"eth0", "wlan0", "usb0", "enx0a1b2c3d4e5f", "tun0", "xppp0"})
            QTest::newRow(name) << name << false;
    }
    void meteredWithoutNetworkManager() {
        QFETCH(QString, name);
        QFETCH(bool, counts);
        FakeMetered metered;
        metered.answers = false;
        metered.flags = {{name, Metered::No}}; // not asked: nothing answers
        QCOMPARE(Counts(Link(name + "|UR|10.0.0.1"), LinkChoice(LinkMode::Metered, {}), metered),
                 counts);
        QCOMPARE(Counts(Link(name + "|U|10.0.0.1"), LinkChoice(LinkMode::Metered, {}), metered),
                 false);
    }

    void systemUnavailable() {
        FakeInterfaces interfaces;
        interfaces.unavailable = true;
        FakeMetered metered;
        LinkAddresses source(interfaces, [&]() -> MeteredFlags& { return metered; });
        QVERIFY(!source.OwnAddresses());
        ConnectionProbe probe(source);
        QVERIFY(!probe.IsConnected());
        QCOMPARE(interfaces.lookups, 2); // as an unresolvable name: no further lookups
        QVERIFY(!LinkTraffic(interfaces, source.Choice(), {}).Counters());
    }

    // A new choice counts from the next lookup on: the open connection ends at that poll.
    void choiceTakesEffectAtTheNextLookup() {
        FakeInterfaces interfaces;
        interfaces.list = Links("eth0|UR|192.168.1.5 ppp0|UR|10.64.0.2");
        FakeMetered metered;
        LinkAddresses source(interfaces, [&]() -> MeteredFlags& { return metered; });
        LinkTraffic meter(interfaces, source.Choice(), [&]() -> MeteredFlags& { return metered; });
        const auto poll = [&] {
            QStringList counted;
            const auto counters = meter.Counters();
            for (const LinkCounters& each : *counters)
                if (meter.Counted(each.name))
                    counted << each.name;
            return counted.join(' ');
        };
        ConnectionProbe probe(source);
        QVERIFY(probe.IsConnected());
        QCOMPARE(poll(), "eth0 ppp0");
        source.SetChoice(Choice("chosen wwan*"));
        QVERIFY(!probe.IsConnected());
        QCOMPARE(poll(), "");
        interfaces.list << Link("wwan0|UR|10.1.0.1"); // a modem plugged in
        QVERIFY(probe.IsConnected());
        QCOMPARE(poll(), "wwan0");
        source.SetChoice(Choice("all"));
        interfaces.list.first().running = false; // the cable out: no longer the connection
        QCOMPARE(poll(), "ppp0 wwan0");
    }

    // The default mode on this machine answers exactly as the address source of old.
    void defaultModeIsTheSystemAnswer() {
        SystemInterfaces interfaces;
        NoMeteredFlags none;
        LinkAddresses source(interfaces, [&]() -> MeteredFlags& { return none; });
        SystemAddresses system;
        QCOMPARE(source.OwnAddresses(), system.OwnAddresses());
    }

    void systemInterfaces() {
        SystemInterfaces system;
        const auto all = system.Interfaces(true);
        QVERIFY(all);
        const auto loopback = std::find_if(all->begin(), all->end(),
                                           [](const NetInterface& each) { return each.loopback; });
        QVERIFY(loopback != all->end());
        QVERIFY(loopback->ipv4.contains("127.0.0.1"));
        QVERIFY(loopback->ipv6.isEmpty()); // ::1 is not global
        // The counters: the same interfaces, loopback's among them.
        const auto counters = system.Counters();
        QVERIFY(counters);
        QStringList names, counted;
        for (const NetInterface& each : *all)
            names << each.name;
        for (const NetInterface& each : *counters)
            counted << each.name;
        QCOMPARE(counted, names);
        const auto cheap = system.Interfaces(false);
        QVERIFY(cheap);
        for (const NetInterface& each : *cheap) {
            QVERIFY(!each.ipv4.isEmpty());
            QVERIFY(each.ipv6.isEmpty());
            const auto same = std::find_if(all->begin(), all->end(), [&](const NetInterface& a) {
                return a.name == each.name;
            });
            QVERIFY2(same != all->end(), qPrintable(each.name));
            QCOMPARE(same->ipv4, each.ipv4);
            QCOMPARE(same->running, each.running);
        }
    }

    void kind_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("facts");
        QTest::addColumn<QString>("kind");
        QTest::newRow("loopback") << "lo" << 772 << "loopback"
                                  << "внутренний (loopback)";
        QTest::newRow("wired") << "enp3s0" << 1 << "physical"
                               << "Ethernet";
        QTest::newRow("phone tethering") << "usb0" << 1 << "physical"
                                         << "Ethernet";
        QTest::newRow("veth") << "veth12ab" << 1 << ""
                              << "виртуальный мост";
        QTest::newRow("virtual ethernet, other name") << "eth1" << 1 << ""
                                                      << "виртуальный";
        QTest::newRow("wifi by the system") << "wlp2s0" << 1 << "physical wireless"
                                            << "Wi-Fi";
        QTest::newRow("wifi by name only") << "wlan0" << -1 << ""
                                           << "Wi-Fi";
        QTest::newRow("modem by devtype") << "cdc-wdm0" << 1 << "physical mobile"
                                          << "мобильная связь";
        QTest::newRow("modem by name") << "wwan0" << 65534 << ""
                                       << "мобильная связь";
        QTest::newRow("dial-up") << "ppp0" << 512 << ""
                                 << "PPP";
        QTest::newRow("a tun named ppp0") << "ppp0" << 65534 << "tun"
                                          << "PPP";
        QTest::newRow("docker bridge") << "docker0" << 1 << "bridge"
                                       << "виртуальный мост";
        QTest::newRow("bridge by name") << "virbr0" << -1 << ""
                                        << "виртуальный мост";
        QTest::newRow("vpn tun") << "tun0" << 65534 << "tun"
                                 << "VPN/туннель";
        QTest::newRow("wireguard") << "wg0" << 65534 << ""
                                   << "VPN/туннель";
        QTest::newRow("sit") << "sit0" << 776 << ""
                             << "VPN/туннель";
        QTest::newRow("unknown") << "can0" << 280 << ""
                                 << "другое";
    }
    void kind() {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QString, facts);
        QFETCH(QString, kind);
        InterfaceFacts f;
        f.hardwareType = type;
        f.physical = facts.contains("physical");
        f.wireless = facts.contains("wireless");
        f.mobile = facts.contains("mobile");
        f.bridge = facts.contains("bridge");
        f.tun = facts.contains("tun");
        QCOMPARE(InterfaceKind(name, facts.contains("loopback"), f), kind);
    }
};

QTEST_GUILESS_MAIN(TestLinkFilter)
#include "tst_linkfilter.moc"
