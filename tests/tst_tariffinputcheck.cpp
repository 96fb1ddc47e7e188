#include "TimeOfDay.h"
#include "storage/Failure.h"
#include "tariffs/TariffInputCheck.h"

#include <QtTest>

class TestTariffInputCheck : public QObject {
    Q_OBJECT
private slots:
    void check_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<bool>("wrong");
        QTest::newRow("blank hour tens") << " 8:00:00"
                                         << "20:00:00"
                                         << "15" << false;
        QTest::newRow("leading zero") << "01:00:00"
                                      << "08:00:00"
                                      << "10" << false;
        QTest::newRow("fresh dialog") << "  :  :  "
                                      << "  :  :  "
                                      << "" << false;
        QTest::newRow("hour tens 3") << "30:00:00"
                                     << "20:00:00"
                                     << "1" << true;
        QTest::newRow("hour 29 is not looked at") << "29:00:00"
                                                  << "20:00:00"
                                                  << "1" << false;
        QTest::newRow("hour units above 9") << "1a:00:00"
                                            << "20:00:00"
                                            << "1" << true;
        QTest::newRow("minute tens 6") << "12:60:00"
                                       << "20:00:00"
                                       << "1" << true;
        QTest::newRow("seconds are not looked at") << "12:00:75"
                                                   << "20:00:00"
                                                   << "1" << false;
        QTest::newRow("end hour tens 3") << "08:00:00"
                                         << "31:00:00"
                                         << "1" << true;
        QTest::newRow("end minute tens 6") << "08:00:00"
                                           << "23:60:00"
                                           << "1" << true;
        QTest::newRow("across midnight passes") << "23:00:00"
                                                << "01:00:00"
                                                << "1" << false;
        QTest::newRow("decimal comma") << "08:00:00"
                                       << "20:00:00"
                                       << "10,5" << false;
        QTest::newRow("full stop") << "08:00:00"
                                   << "20:00:00"
                                   << "10.5" << true;
        QTest::newRow("leading blank") << "08:00:00"
                                       << "20:00:00"
                                       << " 20" << true;
        QTest::newRow("trailing blank") << "08:00:00"
                                        << "20:00:00"
                                        << "20 " << false;
        QTest::newRow("trailing tab") << "08:00:00"
                                      << "20:00:00"
                                      << "20\t" << false;
        QTest::newRow("leading tab") << "08:00:00"
                                     << "20:00:00"
                                     << "\t20" << true;
        QTest::newRow("negative") << "08:00:00"
                                  << "20:00:00"
                                  << "-5" << true;
        QTest::newRow("inner blank") << "08:00:00"
                                     << "20:00:00"
                                     << "2 0" << true;
        QTest::newRow("commas are not counted") << "08:00:00"
                                                << "20:00:00"
                                                << "1,2,3" << false;
        QTest::newRow("all blank cost") << "08:00:00"
                                        << "20:00:00"
                                        << "   " << false;
        QTest::newRow("letters") << "08:00:00"
                                 << "20:00:00"
                                 << "12р" << true;
        QTest::newRow("start checked before cost") << "30:00:00"
                                                   << "20:00:00"
                                                   << "x" << true;
        QTest::newRow("short texts read as blanks") << ""
                                                    << ""
                                                    << "" << false;
    }
    void check() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, cost);
        QFETCH(bool, wrong);
        QCOMPARE(CheckTariffInput(start, end, cost), wrong);
    }

    void conversion_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("failure"); // empty: converts
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<double>("price");
        QTest::newRow("blank hour") << " 8:00:00"
                                    << "20:00:00"
                                    << "15"
                                    << "" << Ms(8, 0, 0) << Ms(20, 0, 0) << 15.0;
        QTest::newRow("leading zero hour") << "01:00:00"
                                           << "08:00:00"
                                           << "10,5"
                                           << "" << Ms(1, 0, 0) << Ms(8, 0, 0) << 10.5;
        QTest::newRow("trailing blank cost") << "00:00:00"
                                             << "23:59:59"
                                             << "20 "
                                             << "" << 0 << Ms(23, 59, 59) << 20.0;
        QTest::newRow("untouched start") << "  :  :  "
                                         << "20:00:00"
                                         << "1"
                                         << "WrN" << 0 << 0 << 0.0;
        QTest::newRow("seconds 75") << "12:00:75"
                                    << "20:00:00"
                                    << "1"
                                    << "WrN" << 0 << 0 << 0.0;
        QTest::newRow("hour 24 at the end") << "08:00:00"
                                            << "24:00:00"
                                            << "1"
                                            << "WrK" << 0 << 0 << 0.0;
        QTest::newRow("empty cost") << "08:00:00"
                                    << "20:00:00"
                                    << ""
                                    << "Cost" << 0 << 0 << 0.0;
        QTest::newRow("two commas") << "08:00:00"
                                    << "20:00:00"
                                    << "1,2,3"
                                    << "Cost" << 0 << 0 << 0.0;
    }
    void conversion() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, cost);
        QFETCH(QString, failure);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(double, price);
        QVERIFY(!CheckTariffInput(start, end, cost));
        try {
            const TariffPeriod period = TariffFromInput(start, end, cost);
            QVERIFY2(failure.isEmpty(), "converted although it should fail");
            QCOMPARE(period, (TariffPeriod{from, to, price}));
        } catch (const Failure& f) {
            QCOMPARE(f.message(), QStringLiteral("Invalid value for field '%1'").arg(failure));
        }
    }

    void billingInput_data() {
        QTest::addColumn<int>("step"); // StepChoice
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("fee");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("billing"); // unit fee minimum; "!" for refused
        QTest::newRow("per second, nothing else") << 0 << "x"
                                                  << ""
                                                  << ""
                                                  << "1 0 0";
        QTest::newRow("per minute") << 1 << ""
                                    << "0,5"
                                    << " 2 "
                                    << "60 0.5 2";
        QTest::newRow("every 30 s") << 2 << "30"
                                    << ""
                                    << ""
                                    << "30 0 0";
        QTest::newRow("every hour") << 2 << "3600"
                                    << ""
                                    << ""
                                    << "3600 0 0";
        QTest::newRow("N = 0") << 2 << "0"
                               << ""
                               << ""
                               << "!";
        QTest::newRow("N = 3601") << 2 << "3601"
                                  << ""
                                  << ""
                                  << "!";
        QTest::newRow("N empty") << 2 << " "
                                 << ""
                                 << ""
                                 << "!";
        QTest::newRow("N signed") << 2 << "+30"
                                  << ""
                                  << ""
                                  << "!";
        QTest::newRow("N long") << 2 << "00030"
                                << ""
                                << ""
                                << "!";
        QTest::newRow("fee with a point") << 1 << ""
                                          << "1.5"
                                          << ""
                                          << "60 1.5 0";
        QTest::newRow("thousands set apart") << 1 << ""
                                             << "5 000,5"
                                             << "1\u00A0000"
                                             << "60 5000.5 1000";
        QTest::newRow("spaces that set no thousands apart") << 1 << ""
                                                            << "5 00"
                                                            << ""
                                                            << "!";
        QTest::newRow("fee negative") << 1 << ""
                                      << "-1"
                                      << ""
                                      << "!";
        QTest::newRow("fee two commas") << 1 << ""
                                        << "1,2,3"
                                        << ""
                                        << "!";
        QTest::newRow("fee a comma alone") << 1 << ""
                                           << ","
                                           << ""
                                           << "!";
        QTest::newRow("minimum in words") << 1 << ""
                                          << ""
                                          << "сто"
                                          << "!";
        QTest::newRow("minimum huge") << 1 << ""
                                      << ""
                                      << "1000000000000000"
                                      << "!";
    }
    void billingInput() {
        QFETCH(int, step);
        QFETCH(QString, seconds);
        QFETCH(QString, fee);
        QFETCH(QString, minimum);
        QFETCH(QString, billing);
        const auto b = BillingFromInput(StepChoice(step), seconds, fee, minimum);
        QCOMPARE(b ? QStringLiteral("%1 %2 %3").arg(b->unit).arg(b->fee).arg(b->minimum)
                   : QStringLiteral("!"),
                 billing);
        if (b) // what the dialog shows again reads back the same
            QCOMPARE(BillingFromInput(StepChoiceOf(*b), QString::number(b->unit),
                                      AmountInputText(b->fee), AmountInputText(b->minimum)),
                     b);
    }

    void trafficInput_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("traffic"); // price package; "!" and the field named
        QTest::newRow("none") << " "
                              << ""
                              << "0 0";
        QTest::newRow("a price, a package of 0") << "0,5"
                                                 << "0"
                                                 << "0,5 0";
        QTest::newRow("a point, thousands apart") << "1 000.25"
                                                  << "10 240"
                                                  << "1000,25 10240";
        QTest::newRow("no-break spaces") << "0"
                                         << "2\u00A0048"
                                         << "0 2048";
        QTest::newRow("a tiny price") << "0,00005"
                                      << "1"
                                      << "5E-5 1";
        QTest::newRow("a price whose exact text takes an exponent")
            << "0,000000000000000000000000000000000000000001457415193"
            << ""
            << "1,457415193E-42 0";
        QTest::newRow("the largest package") << ""
                                             << "17592186044415"
                                             << "0 17592186044415";
        QTest::newRow("a package of 2^44") << ""
                                           << "17592186044416"
                                           << "!Пакет на период";
        QTest::newRow("a package past 64 bits") << ""
                                                << "99999999999999999999"
                                                << "!Пакет на период";
        QTest::newRow("a package in parts") << ""
                                            << "1,5"
                                            << "!Пакет на период";
        QTest::newRow("a signed package") << ""
                                          << "+5"
                                          << "!Пакет на период";
        QTest::newRow("a package in words") << ""
                                            << "много"
                                            << "!Пакет на период";
        QTest::newRow("a negative price") << "-1"
                                          << ""
                                          << "!Цена за МБ сверх пакета";
        QTest::newRow("a price of 10^15") << "1000000000000000"
                                          << ""
                                          << "!Цена за МБ сверх пакета";
        QTest::newRow("both wrong: the price named") << "x"
                                                     << "y"
                                                     << "!Цена за МБ сверх пакета";
    }
    void trafficInput() {
        QFETCH(QString, price);
        QFETCH(QString, package);
        QFETCH(QString, traffic);
        QString wrong;
        const auto t = TrafficFromInput(price, package, &wrong);
        QCOMPARE(t ? t->pricePerMebibyte + ' ' + QString::number(t->packageMebibytes) : '!' + wrong,
                 traffic);
        if (t) // what the dialog shows again reads back the same
            QCOMPARE(TrafficFromInput(PriceInputText(t->pricePerMebibyte),
                                      QString::number(t->packageMebibytes)),
                     t);
    }
};

QTEST_GUILESS_MAIN(TestTariffInputCheck)
#include "tst_tariffinputcheck.moc"
