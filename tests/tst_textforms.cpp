#include "storage/DateTimeValue.h"
#include "storage/Decimal.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <QtTest>

using namespace TextForms;

namespace {
double Msecs(qint64 ms) {
    return DateTimeValue::FromMsecs(ms);
}
double Hms(int h, int m, int s, int ms = 0) {
    return Msecs(((h * 60LL + m) * 60 + s) * 1000 + ms);
}
} // namespace

class TestTextForms : public QObject {
    Q_OBJECT
private slots:
    void timeText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << 0.0 << "0:00:00";
        QTest::newRow("one-digit hours") << Hms(9, 5, 7) << "9:05:07";
        QTest::newRow("two-digit hours") << Hms(13, 0, 0) << "13:00:00";
        QTest::newRow("last second of day") << Hms(23, 59, 59, 999) << "23:59:59";
        QTest::newRow("whole days dropped") << 1.0 + Hms(2, 0, 0) << "2:00:00";
        QTest::newRow("25 hours") << Hms(25, 0, 0) << "1:00:00";
        QTest::newRow("0.9 s truncated") << Hms(0, 0, 0, 900) << "0:00:00";
        QTest::newRow("ms rounded before truncating") << 1.9996 / 86400 << "0:00:02";
        QTest::newRow("ms rounded down") << 1.9994 / 86400 << "0:00:01";
        QTest::newRow("rounds up into next day") << 86399.9996 / 86400 << "0:00:00";
        QTest::newRow("difference of two times") << Hms(10, 45, 30) - Hms(9, 15, 0) << "1:30:30";
        QTest::newRow("one second as the sum of day parts")
            << (Hms(23, 59, 59) - Hms(23, 59, 59) + Hms(0, 0, 0)) + Hms(0, 0, 1) << "0:00:01";
        QTest::newRow("negative reads as its size") << -Hms(0, 0, 5) << "0:00:05";
    }
    void timeText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(TimeText(value), text);
    }

    void dateText_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("leading zeros") << QDate(2026, 12, 7) << "07.12.2026";
        QTest::newRow("new year") << QDate(2027, 1, 1) << "01.01.2027";
        QTest::newRow("leap day") << QDate(2028, 2, 29) << "29.02.2028";
    }
    void dateText() {
        QFETCH(QDate, date);
        QFETCH(QString, text);
        QCOMPARE(DateText(date), text);
    }

    void numberText_data() {
        QTest::addColumn<long double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 30.0L << "30";
        QTest::newRow("decimal comma") << 10.5L << "10,5";
        QTest::newRow("a third") << 1.0L / 3 << "0,333333333333333";
        QTest::newRow("smallest fixed") << 0.0001L << "0,0001";
        QTest::newRow("below fixed") << 0.00005L << "5E-5";
        QTest::newRow("1e15 is scientific") << 1e15L << "1E15";
        QTest::newRow("largest fixed") << 999999999999999.0L << "999999999999999";
        QTest::newRow("rounded to 15 digits") << 123456789012345.6L << "123456789012346";
        QTest::newRow("rounds up to 1e15") << 999999999999999.7L << "1E15";
        QTest::newRow("zero") << 0.0L << "0";
        QTest::newRow("negative zero") << -0.0L << "0";
        QTest::newRow("negative") << -2.5L << "-2,5";
        QTest::newRow("negative scientific") << -0.00005L << "-5E-5";
        QTest::newRow("scientific with digits") << 1.5e20L << "1,5E20";
        QTest::newRow("tiny") << 1e-10L << "1E-10";
        QTest::newRow("rounds up to smallest fixed") << 0.00009999999999999999L << "0,0001";
        QTest::newRow("sum of tenths") << 0.1L + 0.2L << "0,3";
        QTest::newRow("half a minute at 20") << 20.0L * 30 / 3600 << "0,166666666666667";
        QTest::newRow("one second at 20") << 20.0L * 1 / 3600 << "0,00555555555555556";
        QTest::newRow("trailing zeros dropped") << 1.2500L << "1,25";
    }
    void numberText() {
        QFETCH(long double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText(value), text);
    }

    void numberTextReadsBack() {
        for (long double v : {1.0L / 3, 30.1666666666667L, 5e-5L, 1e15L, 0.75L, 123.456L}) {
            const QString text = NumberText(v);
            QCOMPARE(NumberText(ParseNumber(text)), text);
        }
    }

    // Amounts added in decimal: every digit kept, then rounded once as NumberText rounds
    // (15 significant digits, a tie to even).
    void decimalSum_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b"); // subtracted when it begins with "-"
        QTest::addColumn<QString>("exact");
        QTest::addColumn<QString>("number"); // empty: a text that does not read
        const auto row = [](const char* name, const char* a, const char* b, const char* exact,
                            const char* number) {
            QTest::newRow(name) << QString(a) << QString(b) << QString(exact) << QString(number);
        };
        row("tie up to even", "0,0521296296296295", "0,5", "0,5521296296296295",
            "0,55212962962963");
        row("tie down to even", "1,000000000000005", "0", "1,000000000000005", "1");
        row("more than a tie", "1,0000000000000051", "0", "1,0000000000000051", "1,00000000000001");
        row("every digit kept", "0,00555555555555556", "100", "100,00555555555555556",
            "100,005555555556");
        row("shortfall", "200", "-100,00555555555555556", "99,99444444444444444",
            "99,9944444444444");
        row("below zero", "0,5", "-2", "-1,5", "-1,5");
        row("a number text of before", "5E-5", "0", "0,00005", "5E-5");
        row("up to 1E15", "999999999999999", "0,6", "999999999999999,6", "1E15");
        row("36 digits apart kept", "999999999999999", "1E-21",
            "999999999999999,000000000000000000001", "999999999999999");
        row("beyond 36 digits apart", "5", "1E-300", "5", "5");
        row("point", "0.5", "0", "", "");
        row("blank", " 1", "0", "", "");
        row("exponent out of reach", "1E99999", "0", "", "");
        row("exponent out of reach once trailing zeros go", "-10,E6000", "0", "", "");
    }
    void decimalSum() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, exact);
        QFETCH(QString, number);
        const auto x = Decimal::Parse(a);
        QCOMPARE(x.has_value(), !number.isEmpty());
        if (!x)
            return;
        const Decimal y = Decimal::Of(b.startsWith('-') ? b.mid(1) : b);
        const Decimal sum = b.startsWith('-') ? *x - y : *x + y;
        QCOMPARE(sum.ExactText(), exact);
        QCOMPARE(sum.NumberText(), number);
        QCOMPARE(Decimal::Of(exact), sum); // the exact text reads back
    }

    // A price per mebibyte times bytes: exact while the digits fit, then rounded to 36.
    void decimalProduct_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<int>("halvings");
        QTest::addColumn<QString>("exact"); // price * bytes / 2^halvings
        QTest::newRow("a whole mebibyte") << "1,5" << quint64(1 << 20) << 20 << "1,5";
        QTest::newRow("one byte") << "0,01" << quint64(1) << 20 << "0,0000000095367431640625";
        QTest::newRow("none") << "7" << quint64(0) << 20 << "0";
        QTest::newRow("below zero") << "-2" << quint64(3 << 19) << 20 << "-3";
        QTest::newRow("16 EiB at 1E15") << "1E15" << std::numeric_limits<quint64>::max() << 20
                                        << "17592186044415999999046325683,59375";
        QTest::newRow("beyond 36 digits: rounded at each step")
            << "123456789012345678901234567890,123456" << quint64(3 << 20) << 20
            << "370370367037037036703703703670,370368";
        QTest::newRow("the largest price, rounded to 36 digits")
            << "99999999999999999999999999999999999,5" << quint64(3 << 20) << 20
            << "299999999999999999999999999999999998";
        QTest::newRow("a tie at the 37th digit, to even")
            << "200000000000000000000000000000000003" << quint64(5) << 0
            << "1000000000000000000000000000000000020";
    }
    void decimalProduct() {
        QFETCH(QString, price);
        QFETCH(quint64, bytes);
        QFETCH(QString, exact);
        QFETCH(int, halvings);
        QCOMPARE(Decimal::Of(price).Times(bytes).OverPowerOfTwo(halvings).ExactText(), exact);
    }

    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << "30" << true << 30.0;
        QTest::newRow("blanks around") << "  10,5 " << true << 10.5;
        QTest::newRow("minus") << "-2,5" << true << -2.5;
        QTest::newRow("plus") << "+4" << true << 4.0;
        QTest::newRow("scientific") << "5E-5" << true << 5e-5;
        QTest::newRow("lower-case e") << "1,5e2" << true << 150.0;
        QTest::newRow("leading comma") << ",5" << true << 0.5;
        QTest::newRow("trailing comma") << "5," << true << 5.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blank") << "   " << false << 0.0;
        QTest::newRow("point is not the separator") << "10.5" << false << 0.0;
        QTest::newRow("grouped") << "1 000" << false << 0.0;
        QTest::newRow("two commas") << "1,2,3" << false << 0.0;
        QTest::newRow("bare exponent") << "E5" << false << 0.0;
        QTest::newRow("no exponent digits") << "1E" << false << 0.0;
        QTest::newRow("infinity") << "inf" << false << 0.0;
        QTest::newRow("out of range") << "1E99999" << false << 0.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
    }
    void parseNumber() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const auto parsed = TryParseNumber(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(double(*parsed), value);
        else
            try {
                ParseNumber(text);
                QFAIL("no failure");
            } catch (const Failure& f) {
                QCOMPARE(f.message(),
                         QStringLiteral("'%1' is not a valid floating point value").arg(text));
            }
    }

    void parseInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("leading blanks") << "  42" << true << 42;
        QTest::newRow("minus") << "-17" << true << -17;
        QTest::newRow("plus") << "+5" << true << 5;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("x hex") << "x10" << true << 16;
        QTest::newRow("X hex") << "X10" << true << 16;
        QTest::newRow("0x hex") << "0x1f" << true << 31;
        QTest::newRow("0X hex") << "0X1F" << true << 31;
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("all bits set") << "$FFFFFFFF" << true << -1;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("leading zeros") << "007" << true << 7;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("trailing blank") << "42 " << false << 0;
        QTest::newRow("too large") << "2147483648" << false << 0;
        QTest::newRow("hex too large") << "$100000000" << false << 0;
        QTest::newRow("fraction") << "1,5" << false << 0;
        QTest::newRow("prefix alone") << "0x" << false << 0;
        QTest::newRow("dollar alone") << "$" << false << 0;
        QTest::newRow("hex digit without prefix") << "1F" << false << 0;
        QTest::newRow("two signs") << "--1" << false << 0;
    }
    void parseInteger() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto parsed = TryParseInteger(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
        else
            QVERIFY_THROWS_EXCEPTION(Failure, ParseInteger(text));
    }

    void parseTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("msecs"); // -1: not a time
        QTest::newRow("zero, short") << "0:0:0" << 0;
        QTest::newRow("one second") << "0:0:1" << 1000;
        QTest::newRow("last second") << "23:59:59" << 86'399'000;
        QTest::newRow("without seconds") << "9:05" << 32'700'000;
        QTest::newRow("milliseconds") << "08:00:00.500" << 28'800'500;
        QTest::newRow("tenths") << "0:00:01.5" << 1500;
        QTest::newRow("hundredths") << "0:00:01,25" << 1250;
        QTest::newRow("second 60") << "12:00:60" << -1;
        QTest::newRow("four fraction digits") << "0:00:01.1234" << -1;
        QTest::newRow("blanks") << " 8:00:00 " << 28'800'000;
        QTest::newRow("hour 24") << "24:00:00" << -1;
        QTest::newRow("minute 60") << "12:60:00" << -1;
        QTest::newRow("hours only") << "12" << -1;
        QTest::newRow("too many parts") << "1:2:3:4" << -1;
        QTest::newRow("placeholder") << " 8:__:00" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void parseTime() {
        QFETCH(QString, text);
        QFETCH(int, msecs);
        const auto parsed = TryParseTime(text);
        QCOMPARE(parsed.value_or(-1), msecs);
        if (msecs < 0) {
            try {
                ParseTime(text);
                QFAIL("no failure");
            } catch (const Failure& f) {
                QCOMPARE(f.message(), QStringLiteral("'%1' is not a valid time").arg(text));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTextForms)
#include "tst_textforms.moc"
