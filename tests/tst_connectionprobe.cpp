#include "Fakes.h"
#include "accounting/ConnectionProbe.h"

#include <QtTest>

// A script lists what each lookup of one call returns, separated by ";". Within a lookup,
// addresses are separated by ",", an empty lookup is an empty list, and "!" stands for a
// host name that cannot be resolved. The last lookup repeats.
static std::deque<QStringList> Script(const QString& text) {
    std::deque<QStringList> script;
    for (const QString& lookup : text.split(';'))
        script.push_back(lookup.isEmpty() ? QStringList{} : lookup.split(','));
    return script;
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
        QTest::newRow("first lookup empty, then two more")
            << ";10.1.2.3;192.168.0.2" << false << 2;
        QTest::newRow("list changes: last equals third's first")
            << "192.168.0.2,10.1.2.3;192.168.0.2;10.1.2.3" << false << 3;
        QTest::newRow("list changes: last equals second's first")
            << "192.168.0.2,10.1.2.3;10.1.2.3" << true << 2;
        QTest::newRow("second lookup fails") << "10.1.2.3;!" << true << 3;
        QTest::newRow("link drops during the call") << "10.1.2.3;127.0.0.1;10.1.2.3"
                                                    << false << 3;
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
};

QTEST_GUILESS_MAIN(TestConnectionProbe)
#include "tst_connectionprobe.moc"
