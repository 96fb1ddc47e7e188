#include "GuiFakes.h"
#include "TestFiles.h"
#include "link/LinkDialog.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

// The link dialog on interfaces the test sets; no network manager answers.
namespace {
class SetInterfaces final : public InterfaceSource {
public:
    std::optional<QList<NetInterface>> Interfaces(bool) override { return list; }
    void Add(const QString& name, bool running, const QStringList& ipv4,
             const QStringList& ipv6 = {}) {
        NetInterface link;
        link.name = name;
        link.up = true;
        link.running = running;
        link.ipv4 = ipv4;
        link.ipv6 = ipv6;
        list << link;
    }
    QList<NetInterface> list;
};

QStringList Column(QTableWidget* table, int column) {
    QStringList texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts << (table->item(r, column) ? table->item(r, column)->text() : QString());
    return texts;
}
} // namespace

class TestLinkDialog : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    SetInterfaces interfaces_;

    void Machine() {
        interfaces_.list.clear();
        interfaces_.Add("eth0", true, {"192.168.1.5"});
        interfaces_.Add("ppp0", false, {"10.64.0.2"});
        interfaces_.Add("wwan0", true, {}, {"2001:db8::77"});
    }

private slots:
    void initTestCase() {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kelvora-test-bus");
    }
    void init() {
        QFile::remove(dir_.filePath("kelvora.ini"));
        QDir(dir_.filePath("kelvora.ini.tmp")).removeRecursively();
        Machine();
    }

    void listsTheMachineAndDecidesLive() {
        CountedLink link(dir_.path(), &interfaces_);
        FakeDialogs dialogs;
        LinkDialog dialog(link, dialogs);
        dialog.show();
        QCOMPARE(Column(dialog.Table(), 1), (QStringList{"eth0", "ppp0", "wwan0"}));
        QCOMPARE(Column(dialog.Table(), 2), (QStringList{"Ethernet", "PPP", "мобильная связь"}));
        QCOMPARE(Column(dialog.Table(), 3),
                 (QStringList{"192.168.1.5", "10.64.0.2", "2001:db8::77"}));
        QCOMPARE(Column(dialog.Table(), 4), (QStringList{"есть", "нет", "есть"}));
        QCOMPARE(Column(dialog.Table(), 5), (QStringList{"—", "—", "—"}));
        QCOMPARE(Column(dialog.Table(), 6), (QStringList{"да", "нет", "нет"}));
        QCOMPARE(dialog.LiveText(), QStringLiteral("Сейчас: подключено"));
        QVERIFY(dialog.findChild<QRadioButton*>("Mode_all")->isChecked());

        dialog.SetMode(LinkMode::Chosen);
        dialog.Patterns()->setText("ppp*");
        QCOMPARE(dialog.LiveText(), QStringLiteral("Сейчас: нет подключения")); // no carrier
        QCOMPARE(Column(dialog.Table(), 6), (QStringList{"нет", "нет", "нет"}));
        dialog.Patterns()->setText("ppp*, wwan*");
        QCOMPARE(dialog.LiveText(), QStringLiteral("Сейчас: подключено")); // IPv6 alone
        QCOMPARE(Column(dialog.Table(), 6), (QStringList{"нет", "нет", "да"}));

        // Without NetworkManager the metered mode says what it counts instead.
        dialog.SetMode(LinkMode::Metered);
        auto* note = dialog.findChild<QLabel*>("Note");
        QVERIFY(note->isVisible());
        QVERIFY(note->text().contains("ppp*, wwan* и wwp*"));
        QCOMPARE(Column(dialog.Table(), 6), (QStringList{"нет", "нет", "да"}));
        QCOMPARE(link.Choice(), LinkChoice()); // nothing in force before "ОК"
    }

    void boxesEditThePatterns() {
        CountedLink link(dir_.path(), &interfaces_);
        FakeDialogs dialogs;
        LinkDialog dialog(link, dialogs);
        dialog.show();
        dialog.Table()->item(0, 0)->setCheckState(Qt::Checked);
        QVERIFY(dialog.findChild<QRadioButton*>("Mode_chosen")->isChecked());
        QCOMPARE(dialog.Patterns()->text(), QStringLiteral("eth0"));
        dialog.Patterns()->setText("eth0, ppp*");
        QCOMPARE(dialog.Table()->item(1, 0)->checkState(), Qt::Checked);
        // A box that a pattern fits stays checked; an exact name goes.
        dialog.Table()->item(1, 0)->setCheckState(Qt::Unchecked);
        QCOMPARE(dialog.Patterns()->text(), QStringLiteral("eth0, ppp*"));
        QCOMPARE(dialog.Table()->item(1, 0)->checkState(), Qt::Checked);
        dialog.Table()->item(0, 0)->setCheckState(Qt::Unchecked);
        QCOMPARE(dialog.Patterns()->text(), QStringLiteral("ppp*"));
    }

    // Done from the keyboard alone: the focus starts at the mode in force, an arrow picks
    // another, Tab walks every control and leaves the table, Enter confirms. Each mode and
    // the field have an access key of their own.
    void okWritesAndTakesEffect() {
        CountedLink link(dir_.path(), &interfaces_);
        FakeDialogs dialogs;
        LinkDialog dialog(link, dialogs);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QSet<QKeySequence> keys;
        for (auto* button : dialog.findChildren<QRadioButton*>())
            keys << QKeySequence::mnemonic(button->text());
        for (auto* label : dialog.findChildren<QLabel*>())
            if (label->buddy()) {
                QCOMPARE(label->buddy(), dialog.Patterns());
                keys << QKeySequence::mnemonic(label->text());
            }
        keys.remove(QKeySequence());
        QCOMPARE(keys.size(), 4);
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QRadioButton*>("Mode_all"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(dialog.findChild<QRadioButton*>("Mode_chosen")->isChecked());
        QSet<QWidget*> visited;
        for (int i = 0; i < 8; ++i) {
            QVERIFY(QApplication::focusWidget());
            visited << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (const char* name : {"Mode_chosen", "Patterns", "Interfaces", "Ok", "Cancel"})
            QVERIFY2(visited.contains(dialog.findChild<QWidget*>(name)), name);
        QCOMPARE(dialog.Table()->accessibleName(), QString("Интерфейсы"));
        QCOMPARE(dialog.Patterns()->accessibleName(), QString("Выбранные"));
        dialog.Patterns()->setFocus();
        QTest::keyClicks(dialog.Patterns(), "ppp*, wwan0");
        QTest::keyClick(dialog.Patterns(), Qt::Key_Return);
        QVERIFY(dialogs.errors.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(link.Choice(), LinkChoice(LinkMode::Chosen, {"ppp*", "wwan0"}));
        QCOMPARE(link.Addresses().OwnAddresses(), QStringList{"2001:db8::77"});
        CountedLink again(dir_.path(), &interfaces_);
        QCOMPARE(again.Choice(), link.Choice());
        QVERIFY(!again.Problem());
    }

    void failedWriteIsToldAndChangesNothing() {
        WriteFile(dir_.filePath("kelvora.ini"), "[Link]\nMode=chosen\nInterfaces=eth0\n");
        const QByteArray before = FileDigest(dir_.filePath("kelvora.ini"));
        QVERIFY(QDir(dir_.path()).mkpath("kelvora.ini.tmp/x"));
        CountedLink link(dir_.path(), &interfaces_);
        FakeDialogs dialogs;
        LinkDialog dialog(link, dialogs);
        dialog.show();
        QCOMPARE(dialog.Patterns()->text(), QStringLiteral("eth0"));
        dialog.SetMode(LinkMode::All);
        dialog.findChild<QPushButton*>("Ok")->click();
        QCOMPARE(dialogs.errors.size(), 1);
        QVERIFY(dialogs.errors.first().contains("kelvora.ini"));
        QVERIFY(dialog.isVisible()); // the choice stays on screen to try again
        QCOMPARE(link.Choice(), LinkChoice(LinkMode::Chosen, {"eth0"}));
        QCOMPARE(FileDigest(dir_.filePath("kelvora.ini")), before);
    }

    void cancelKeepsTheChoice() {
        CountedLink link(dir_.path(), &interfaces_);
        FakeDialogs dialogs;
        LinkDialog dialog(link, dialogs);
        dialog.show();
        dialog.SetMode(LinkMode::Metered);
        dialog.findChild<QPushButton*>("Cancel")->click();
        QCOMPARE(link.Choice(), LinkChoice());
        QVERIFY(!QFile::exists(dir_.filePath("kelvora.ini")));
        dialog.show(); // opens again on the choice in force
        QVERIFY(dialog.findChild<QRadioButton*>("Mode_all")->isChecked());
    }

    // Interfaces that come and go show while the dialog is open.
    void listFollowsTheMachine() {
        CountedLink link(dir_.path(), &interfaces_);
        FakeDialogs dialogs;
        FakeTimers timers;
        LinkDialog dialog(link, dialogs, nullptr, timers);
        FakeTimers::Made& refresh = timers.Of(LinkDialog::RefreshMsecs);
        dialog.show();
        dialog.SetMode(LinkMode::Chosen);
        dialog.Patterns()->setText("usb0");
        QCOMPARE(dialog.LiveText(), QStringLiteral("Сейчас: нет подключения"));
        interfaces_.Add("usb0", true, {"192.168.42.10"}); // a phone's tethering plugged in
        refresh.Pass(LinkDialog::RefreshMsecs - 1);
        QCOMPARE(dialog.Table()->rowCount(), 3); // not yet
        refresh.Pass(1);
        QCOMPARE(dialog.Table()->rowCount(), 4);
        QCOMPARE(dialog.LiveText(), QStringLiteral("Сейчас: подключено"));
        interfaces_.list.removeLast();
        refresh.Pass(LinkDialog::RefreshMsecs);
        QCOMPARE(dialog.Table()->rowCount(), 3);
        QCOMPARE(dialog.LiveText(), QStringLiteral("Сейчас: нет подключения"));
        dialog.hide(); // closed, the list rests
        interfaces_.Add("usb0", true, {"192.168.42.10"});
        refresh.Pass(LinkDialog::RefreshMsecs);
        QCOMPARE(dialog.Table()->rowCount(), 3);
    }

    // For the user's guide: the dialog on this machine's own interfaces.
    void screenshot() {
        const QString path = qEnvironmentVariable("KELVORA_LINK_SCREENSHOT");
        if (path.isEmpty())
            QSKIP("set KELVORA_LINK_SCREENSHOT to a PNG path to take the guide's picture");
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        CountedLink link(dir_.path());
        FakeDialogs dialogs;
        LinkDialog dialog(link, dialogs);
        dialog.show();
        dialog.SetMode(LinkMode::Chosen);
        dialog.Patterns()->setText("ppp*, wwan*, eth0");
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        QVERIFY(dialog.grab().save(path));
    }
};

QTEST_MAIN(TestLinkDialog)
#include "tst_linkdialog.moc"
