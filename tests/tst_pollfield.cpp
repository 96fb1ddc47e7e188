#include "GuiFakes.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/PollIntervalDialog.h"

#include <QLineEdit>
#include <QtTest>
#include <climits>

// The poll-interval field and its "Ok": what a typed or pasted text becomes.
class TestPollField : public QObject {
    Q_OBJECT
private slots:
    void typedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("refused");
        QTest::newRow("an interval") << "20" << 20 << false;
        QTest::newRow("zero stops polling") << "0" << 0 << false;
        QTest::newRow("a fraction reads as 0") << "1,5" << 0 << false;
        QTest::newRow("empty reads as 0") << "" << 0 << false;
        QTest::newRow("too large") << "3000000" << 3000000 << true;
        QTest::newRow("negative") << "-5" << -5 << true;
        // Past 32 bits the text is still an integer, far too large: never "stop polling".
        QTest::newRow("ten digits") << "9999999999" << INT_MAX << true;
        QTest::newRow("thirty digits") << QString(30, QLatin1Char('9')) << INT_MAX << true;
        QTest::newRow("ten digits, negative") << "-9999999999" << INT_MIN << true;
        QTest::newRow("hex past 32 bits") << "$1FFFFFFFF" << INT_MAX << true;
    }
    void typedText() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(bool, refused);
        FakeDialogs dialogs;
        QList<int> applied;
        PollIntervalDialog dialog(dialogs, [&](int s) -> std::optional<QString> {
            applied << s;
            return std::nullopt;
        });
        dialog.show();
        dialog.Field()->Editor()->setText(text); // as pasted: taken unfiltered
        QCOMPARE(dialog.Field()->Value(), value);
        dialog.Confirm();
        QCOMPARE(dialogs.messages.size(), refused ? 1 : 0);
        QCOMPARE(applied, refused ? QList<int>{} : QList<int>{value});
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(dialog.Field()->Editor()->text(), text); // the field keeps what was typed
    }

    void arrowsStopAtTheBounds() {
        IntegerSpinEdit field;
        field.Editor()->setText("99999999999");
        field.StepBy(1);
        QCOMPARE(field.Value(), INT_MAX);
        field.StepBy(-1);
        QCOMPARE(field.Value(), INT_MAX - 1);
    }
};

QTEST_MAIN(TestPollField)
#include "tst_pollfield.moc"
