#include "Fakes.h"
#include "GuiFakes.h"
#include "LabelsFit.h"
#include "TestFiles.h"
#include "app/MainWindow.h"
#include "app/ObjectNames.h"
#include "app/TrayIcon.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/PasswordDialogs.h"
#include "settings/PollIntervalDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
const QDate Dec7(2026, 12, 7);

// How the user leaves the password entry dialog.
enum class Leave { Ok, Cancel, TitleBar };

void Answer(PasswordEntryDialog& dialog, Leave leave, const QString& text) {
    dialog.show();
    dialog.Field()->setText(text); // as typed (the test keyboard knows no Cyrillic)
    if (leave == Leave::Ok)
        dialog.findChild<QPushButton*>("Button1")->click();
    else if (leave == Leave::Cancel)
        dialog.findChild<QPushButton*>("Button2")->click();
    else
        dialog.close();
}

// The main window with the password dialogs, over a throw-away data folder.
struct Program {
    QTemporaryDir dir;
    QByteArray optionsAtStart; // options.dn as the program finds it
    FakeClock clock;
    ScriptedAddresses addresses;
    FakeDialogs dialogs;
    FakeTimers timers;
    AppState state{dir.path(), "kelvora", clock, addresses, timers};
    MainWindow window{state, dialogs, WindowSettings(dir.filePath("int.ini"))};
    PasswordEntryDialog entry{state.ThePasswords(), &window};
    PasswordChangeDialog change{state.ThePasswords(), state, dialogs, &window};
    PollIntervalDialog poll{dialogs,
                            [this](int s) -> std::optional<QString> {
                                applied << s;
                                state.KeepPollField(s);
                                state.SaveOptions();
                                return std::nullopt;
                            },
                            &window};
    QList<int> applied;
    QList<std::pair<Leave, QString>> answers; // the user's next answers at the gate
    int asked = 0;

    explicit Program(const QByteArray& options = {})
        : optionsAtStart(Put(dir.filePath("options.dn"), options)) {
        addresses.Always({"127.0.0.1"});
        window.SetWindows({nullptr, nullptr, &entry, &change, &poll, nullptr});
        window.Gate()->run = [this](PasswordEntryDialog& d) {
            ++asked;
            const auto [leave, text] =
                answers.isEmpty() ? std::pair{Leave::TitleBar, QString()} : answers.takeFirst();
            Answer(d, leave, text);
        };
    }
    static QByteArray Put(const QString& path, const QByteArray& bytes) {
        if (!bytes.isEmpty())
            WriteFile(path, bytes);
        return bytes;
    }
    QByteArray OptionsBytes() const {
        QFile f(state.OptionsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    qint64 Rows() const { return state.Sessions()->RowCount(); }
};
} // namespace

class TestPasswordGate : public QObject {
    Q_OBJECT
private slots:
    // A gate over an entry dialog made when first asked: none made before, one after,
    // the same one each time.
    void theEntryDialogIsMadeWhenFirstAsked() {
        Passwords passwords;
        passwords.stored = QStringLiteral("secret");
        QWidget owner;
        int made = 0;
        PasswordEntryDialog* dialog = nullptr;
        AccessGate gate(passwords, [&]() -> PasswordEntryDialog& {
            if (!dialog) {
                ++made;
                dialog = new PasswordEntryDialog(passwords, &owner);
            }
            return *dialog;
        });
        QList<PasswordEntryDialog*> shown;
        gate.run = [&](PasswordEntryDialog& d) {
            shown << &d;
            Answer(d, Leave::Ok, QStringLiteral("secret"));
        };
        QCOMPARE(made, 0);
        QVERIFY(gate.Ask());
        QVERIFY(gate.Ask());
        QCOMPARE(made, 1);
        QCOMPARE(shown, (QList<PasswordEntryDialog*>{dialog, dialog}));
    }
    // The gate's answer and what a guarded menu command says, for each way of leaving
    // the entry dialog, with and without a password, and after an earlier entry.
    void gate_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("enteredBefore");
        QTest::addColumn<int>("leave");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QStringList>("said");
        const QStringList nothing;
        const QStringList refused{"Нет прав доступа"};
        const int ok = int(Leave::Ok), cancel = int(Leave::Cancel), bar = int(Leave::TitleBar);
        QTest::newRow("no password, empty Ок") << ""
                                               << "" << ok << "" << true << nothing;
        QTest::newRow("no password, Отмена") << ""
                                             << "" << cancel << "" << true << nothing;
        QTest::newRow("no password, title bar") << ""
                                                << "" << bar << "" << true << nothing;
        QTest::newRow("no password, text confirmed earlier, title bar")
            << ""
            << "x" << bar << "" << false << refused;
        QTest::newRow("password, right text") << "Тайна"
                                              << "" << ok << "Тайна" << true << nothing;
        QTest::newRow("password, wrong text") << "Тайна"
                                              << "" << ok << "тайна" << false << refused;
        QTest::newRow("password, trailing blank") << "Тайна"
                                                  << "" << ok << "Тайна " << false << refused;
        QTest::newRow("password, Отмена") << "Тайна"
                                          << "Тайна" << cancel << "" << false << nothing;
        QTest::newRow("password, right earlier, title bar")
            << "Тайна"
            << "Тайна" << bar << "" << true << nothing;
        QTest::newRow("password, empty Ок") << "Тайна"
                                            << "" << ok << "" << false << nothing;
    }
    void gate() {
        QFETCH(QString, stored);
        QFETCH(QString, enteredBefore);
        QFETCH(int, leave);
        QFETCH(QString, typed);
        QFETCH(bool, open);
        QFETCH(QStringList, said);
        // The main menu's "Тариф" and the tray menu's "Тариф..." ask the same gate.
        for (const char* entry : {ObjectName::TariffEntry, ObjectName::TrayTariffEntry}) {
            Program p;
            p.state.ThePasswords() = {stored, enteredBefore};
            p.answers = {{Leave(leave), typed}};
            p.window.findChild<QAction*>(QString::fromLatin1(entry))->trigger();
            QCOMPARE(p.asked, 1);
            QCOMPARE(p.state.ThePasswords().Open(), open);
            QCOMPARE(p.dialogs.messages, said);
            QVERIFY(p.entry.Field()->text() == typed || leave != int(Leave::Ok));
        }
    }

    void theGateAsksEveryTimeAndClearsTheField() {
        Program p;
        p.state.ThePasswords() = {"1", "1"};
        p.entry.Field()->setText("left over");
        p.answers = {{Leave::TitleBar, ""}, {Leave::TitleBar, ""}};
        p.window.ShowTariffs();
        p.window.ShowTariffs();
        QCOMPARE(p.asked, 2);
        QCOMPARE(p.entry.Field()->text(), QString());
    }

    void deleteButtonClicksTwiceBehindAPassword() {
        Program p;
        for (const char* start : {"1", "2", "3"})
            p.state.Sessions()->Append({Dec7, start, "", "", "", ""});
        p.state.Sessions()->MoveTo(3); // the newest
        // No password and nothing confirmed: deletes at once, without asking.
        p.window.DeleteRecord();
        QCOMPARE(p.asked, 0);
        QCOMPARE(p.Rows(), 2);
        // A password: the first click only asks, the second deletes.
        p.state.ThePasswords().stored = "x";
        p.answers = {{Leave::Ok, "x"}};
        p.window.DeleteRecord();
        QCOMPARE(p.asked, 1);
        QCOMPARE(p.Rows(), 2);
        QVERIFY(p.dialogs.messages.isEmpty());
        p.window.DeleteRecord();
        QCOMPARE(p.asked, 1);
        QCOMPARE(p.Rows(), 1);
        // A wrong entry: asks, deletes nothing, says nothing.
        p.state.ThePasswords().entered.clear();
        p.answers = {{Leave::Ok, "y"}};
        p.window.DeleteRecord();
        QCOMPARE(p.Rows(), 1);
        QVERIFY(p.dialogs.messages.isEmpty());

        // Before the start-up step has loaded the options: the file's password stands
        // already, for the delete button and the guarded menu entries alike.
        Program early(JoinOptions(false, "x", 3));
        early.state.Sessions()->Append({Dec7, "1", "", "", "", ""});
        early.window.DeleteRecord();
        QCOMPARE(early.asked, 1);
        QCOMPARE(early.Rows(), 1);
        for (const char* entry : {ObjectName::TariffEntry, ObjectName::TrayTariffEntry})
            early.window.findChild<QAction*>(QString::fromLatin1(entry))->trigger();
        QCOMPARE(early.asked, 3);
        QVERIFY(!early.state.ThePasswords().Open());
    }

    void passwordChange_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("typed"); // old, new, confirmation
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("wrong old") << "abc" << QStringList{"abd", "n", "n"} << "Не верный пароль."
                                   << "abc";
        QTest::newRow("new and confirmation differ")
            << "abc" << QStringList{"abc", "n", "m"} << "Не верный пароль."
            << "abc";
        QTest::newRow("set") << "" << QStringList{"", "Новый", "Новый"} << "Пароль успешно изменен."
                             << "Новый";
        QTest::newRow("removed") << "abc" << QStringList{"abc", "", ""} << "Пароль успешно изменен."
                                 << "";
        QTest::newRow("code 11 refused") << "" << QStringList{"", "a\vb", "a\vb"} << "управляющие"
                                         << "";
    }
    void passwordChange() {
        QFETCH(QString, stored);
        QFETCH(QStringList, typed);
        QFETCH(QString, said);
        QFETCH(QString, storedAfter);
        Program p;
        p.state.ThePasswords() = {stored, "entered"};
        p.change.ClearFields();
        p.change.show();
        p.change.OldField()->setText(typed[0]);
        p.change.NewField()->setText(typed[1]);
        p.change.ConfirmField()->setText(typed[2]);
        p.change.Confirm();
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY2(p.dialogs.messages[0].contains(said), qPrintable(p.dialogs.messages[0]));
        QCOMPARE(p.state.ThePasswords().stored, storedAfter);
        QCOMPARE(p.state.ThePasswords().entered, QStringLiteral("entered")); // never touched
        const bool changed = said.startsWith("Пароль успешно");
        QCOMPARE(p.change.isVisible(), !changed);
        if (changed)
            QCOMPARE(p.OptionsBytes().split('\n').value(1),
                     ShiftCodesUp(ToWindows1251(storedAfter)) + "\r");
    }

    void aChangeThatCannotBeSavedIsNotTaken() {
        Program p;
        QDir().mkpath(p.state.OptionsPath()); // a folder where options.dn would go
        p.change.NewField()->setText("new");
        p.change.ConfirmField()->setText("new");
        p.change.Confirm();
        QCOMPARE(p.state.ThePasswords().stored, QString());
        QVERIFY(p.dialogs.messages.isEmpty()); // no word of success
        QCOMPARE(p.dialogs.errors.size(), 1);
        QVERIFY(p.dialogs.errors[0].contains("options.dn"));
    }

    void aChangeLoadsTheOptionsAgain() {
        Program p;
        p.window.Tray()->SetAvailable(false);
        p.window.show();
        WriteFile(p.state.OptionsPath(), "1\r\ncde\r\n7\r\n"); // "abc", 7 s, hidden at start
        p.state.ThePasswords().stored = "in memory only";
        p.change.OldField()->setText("abc");
        p.change.NewField()->setText("x");
        p.change.ConfirmField()->setText("x");
        p.change.Confirm();
        QCOMPARE(p.dialogs.messages, QStringList{"Пароль успешно изменен."});
        QVERIFY(p.window.isMinimized()); // no tray here: minimised instead of hidden
        QCOMPARE(p.poll.Field()->Value(), 7);
        QCOMPARE(p.OptionsBytes(), QByteArray("1\r\nz\r\n7\r\n"));
    }

    void aBadThirdLineStopsTheChange() {
        Program p;
        WriteFile(p.state.OptionsPath(), "0\r\n\r\nten\r\n");
        p.change.Confirm();
        QCOMPARE(p.dialogs.errors, QStringList{"'ten' is not a valid integer value"});
        QVERIFY(p.dialogs.messages.isEmpty());
    }

    void startMinimisedToggleSavesAtOnce() {
        Program p;
        QAction* n9 = p.window.findChild<QAction*>(ObjectName::StartMinimisedEntry);
        n9->trigger();
        QCOMPARE(p.OptionsBytes(), QByteArray("1\r\n\r\n0\r\n"));
        n9->trigger();
        QCOMPARE(p.OptionsBytes(), QByteArray("0\r\n\r\n0\r\n"));
        QDir().mkpath(p.dir.filePath("blocker"));
        QFile::remove(p.state.OptionsPath());
        QDir().mkpath(p.state.OptionsPath());
        n9->trigger();
        QVERIFY(!n9->isChecked()); // back as the file says, and the user is told
        QCOMPARE(p.window.Errors().ShownMessages().size(), 1);
    }

    // The three small windows of this folder: the password fields show an asterisk for each
    // typed character, every label shows all of its text clear of its field, and the
    // windows stand where they belong: a window's place is its frame's top-left corner.
    void smallWindowsLook() {
        Program p;
        QList<QLineEdit*> fields = p.change.findChildren<QLineEdit*>();
        fields << p.entry.Field();
        QCOMPARE(fields.size(), 4);
        for (QLineEdit* field : fields) {
            field->setText("abc");
            QCOMPARE(field->displayText(), QStringLiteral("***"));
        }
        for (QDialog* dialog : {static_cast<QDialog*>(&p.entry), static_cast<QDialog*>(&p.change),
                                static_cast<QDialog*>(&p.poll)}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QVERIFY2(LabelsThatDoNotFit(*dialog).isEmpty(),
                     qPrintable(LabelsThatDoNotFit(*dialog).join(", ")));
        }
        QCOMPARE(p.entry.pos(), QPoint(299, 176));
        QCOMPARE(p.change.pos(), QPoint(248, 201));
        QCOMPARE(p.poll.pos(), QPoint(194, 107));
    }

    void pollField_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("digits") << "20"
                                << "020" << 20;
        QTest::newRow("letters refused") << "2a0"
                                         << "020" << 20;
        QTest::newRow("signs and comma accepted, reads as 0") << "1,5"
                                                              << "01,5" << 0;
        QTest::newRow("minus") << "-"
                               << "0-" << 0;
    }
    void pollField() {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(int, value);
        Program p;
        p.poll.show();
        IntegerSpinEdit* field = p.poll.Field();
        QCOMPARE(field->Value(), 0);
        QTest::keyClicks(field->Editor(), keys);
        QCOMPARE(field->Editor()->text(), text);
        QCOMPARE(field->Value(), value);
    }

    void pollArrowsAndButtons() {
        Program p;
        p.poll.show();
        IntegerSpinEdit* field = p.poll.Field();
        field->SetValue(5);
        QTest::keyClick(field->Editor(), Qt::Key_Up);
        QTest::keyClick(field->Editor(), Qt::Key_Up);
        QTest::keyClick(field->Editor(), Qt::Key_Down);
        QCOMPARE(field->Value(), 6);
        p.poll.Cancel(); // "Отмена": nothing applied, the text stays
        QVERIFY(p.applied.isEmpty());
        QCOMPARE(field->Value(), 6);
        p.poll.show();
        field->Editor()->setText("-3");
        p.poll.Confirm(); // refused: nothing changes
        QVERIFY(p.applied.isEmpty());
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY(p.poll.isVisible());
        field->Editor()->setText("0");
        p.poll.Confirm();
        QCOMPARE(p.applied, QList<int>{0});
        QVERIFY(!p.poll.isVisible());
        QCOMPARE(p.OptionsBytes(), QByteArray("0\r\n\r\n0\r\n"));
    }
};

QTEST_MAIN(TestPasswordGate)
#include "tst_passwordgate.moc"
