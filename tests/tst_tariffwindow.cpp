#include "GuiFakes.h"
#include "LabelsFit.h"
#include "TestFiles.h"
#include "TimeOfDay.h"
#include "accounting/TariffBook.h"
#include "tariffs/BillingDialog.h"
#include "tariffs/DaysToggles.h"
#include "tariffs/HolidaysDialog.h"
#include "tariffs/NewTariffDialog.h"
#include "tariffs/TariffModel.h"
#include "tariffs/TariffWindow.h"
#include "tariffs/TimeMaskEdit.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(TrafficTerms)

namespace {
// The text of the cell's editor, or nothing while no editor is open.
std::optional<QString> EditorText(QTableView* grid, const QModelIndex& cell) {
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
    return editor ? std::optional<QString>(editor->text()) : std::nullopt;
}

// The two windows over a throw-away tariff table, shown without their modal loops.
struct Windows {
    QTemporaryDir dir;
    TariffTable table{dir.path()};
    FakeDialogs dialogs;
    TariffWindow window{dialogs};
    NewTariffDialog dialog{dialogs, &window};
    // Every change the grid's model announces is checked against the model's contract.
    QAbstractItemModelTester modelCheck{window.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest};

    Windows() {
        window.SetNewTariffDialog(&dialog);
        dialog.SetTable(&table);
        window.Model()->SetTable(&table);
    }
    void Type(QWidget* input, const QString& keys) {
        input->setFocus();
        QTest::keyClick(input, Qt::Key_Home);
        QTest::keyClicks(input, keys);
    }
    void Fill(const QString& start, const QString& end, const QString& cost) {
        dialog.show();
        Type(dialog.StartInput(), start);
        Type(dialog.EndInput(), end);
        Type(dialog.CostInput(), cost);
    }
    void Accept() { dialog.findChild<QPushButton*>("Button1")->click(); }
    QString Cell(int row, int column, int role = Qt::DisplayRole) const {
        return window.Model()->index(row, column).data(role).toString();
    }
};
} // namespace

class TestTariffWindow : public QObject {
    Q_OBJECT
private slots:
    void maskTyping_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("complete");
        QTest::newRow("blank first place") << " 8000000"
                                           << " 8:00:00" << true;
        QTest::newRow("two-digit hours") << "230000"
                                         << "23:00:00" << true;
        QTest::newRow("typed colons") << "08:30:15"
                                      << "08:30:15" << true;
        QTest::newRow("colon inside a part") << "8:30:15"
                                             << "8 :30:15" << false;
        QTest::newRow("letters refused") << "1a2b0000"
                                         << "12:00:00" << true;
        QTest::newRow("blank only in the first place") << "1 2"
                                                       << "12:  :  " << false;
        QTest::newRow("incomplete") << "12"
                                    << "12:  :  " << false;
        QTest::newRow("past the end ignored") << "1200009999"
                                              << "12:00:00" << true;
    }
    void maskTyping() {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(bool, complete);
        Windows w;
        w.dialog.show();
        TimeMaskEdit* edit = w.dialog.StartInput();
        QCOMPARE(edit->MaskText(), QStringLiteral("  :  :  "));
        w.Type(edit, keys);
        QCOMPARE(edit->MaskText(), text);
        QCOMPARE(edit->Complete(), complete);
    }

    void backspaceAndDelete() {
        Windows w;
        w.dialog.show();
        TimeMaskEdit* edit = w.dialog.StartInput();
        w.Type(edit, "123456");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->MaskText(), QStringLiteral("12:34:5 "));
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->MaskText(), QStringLiteral(" 2:34:5 "));
    }

    void anIncompleteChangedInputKeepsTheFocus() {
        Windows w;
        w.dialog.show();
        w.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        TimeMaskEdit* start = w.dialog.StartInput();
        start->setFocus();
        QTRY_VERIFY(start->hasFocus());
        QTest::keyClicks(start, "12");
        QCOMPARE(start->text(), QStringLiteral("12:__:__")); // empty places while editing
        QTest::keyClick(start, Qt::Key_Tab);
        QCOMPARE(w.dialogs.errors, QStringList{TimeMaskEdit::Refusal});
        QTRY_VERIFY(start->hasFocus());
        QTest::keyClick(start, Qt::Key_Escape); // abandons the changes
        QCOMPARE(start->MaskText(), QStringLiteral("  :  :  "));
        QTest::keyClicks(start, " 8");
        QTest::keyClick(start, Qt::Key_Escape);
        QTest::keyClick(start, Qt::Key_Tab);
        QTRY_VERIFY(w.dialog.EndInput()->hasFocus());
        QCOMPARE(start->text(), QStringLiteral("  :  :  ")); // blanks once it has moved on
        QCOMPARE(w.dialogs.errors.size(), 1);
        QTest::keyClick(w.dialog.EndInput(), Qt::Key_Tab); // never changed: not held
        QTRY_VERIFY(w.dialog.CostInput()->hasFocus());
        QCOMPARE(w.dialogs.errors.size(), 1);
    }

    // The window manager gives the focus back when it activates the window again, after the
    // refusal's message box has gone: Escape still abandons, and Tab is still refused.
    void aRefusedInputStaysHeldWhenTheWindowComesBack() {
        Windows w;
        QWidget other;
        other.show();
        w.dialog.show();
        w.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        TimeMaskEdit* start = w.dialog.StartInput();
        start->setFocus();
        QTRY_VERIFY(start->hasFocus());
        QTest::keyClicks(start, "12");
        QTest::keyClick(start, Qt::Key_Tab);
        QCOMPARE(w.dialogs.errors.size(), 1);
        QTRY_VERIFY(start->hasFocus());
        const auto away = [&] {
            other.activateWindow();
            QTRY_VERIFY(!w.dialog.isActiveWindow());
            w.dialog.activateWindow();
            QTRY_VERIFY(start->hasFocus());
        };
        away();
        QTest::keyClick(start, Qt::Key_Tab); // still incomplete: refused again
        QCOMPARE(w.dialogs.errors.size(), 2);
        QTRY_VERIFY(start->hasFocus());
        away();
        QTest::keyClick(start, Qt::Key_Escape);
        QCOMPARE(start->MaskText(), QStringLiteral("  :  :  "));
        QTest::keyClick(start, Qt::Key_Tab);
        QTRY_VERIFY(w.dialog.EndInput()->hasFocus());
        QCOMPARE(w.dialogs.errors.size(), 2);
        w.Accept(); // nothing incomplete reaches the table
        QCOMPARE(w.table.ReadAll().size(), 0u);
    }

    void acceptTariff_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("said"); // what the user is told; empty when added
        QTest::newRow("morning to evening") << " 8000000"
                                            << "200000"
                                            << "15"
                                            << "";
        QTest::newRow("decimal comma") << "010000"
                                       << "080000"
                                       << "10,5"
                                       << "";
        QTest::newRow("across midnight is stored") << "230000"
                                                   << "010000"
                                                   << "3"
                                                   << "";
        QTest::newRow("full stop") << "080000"
                                   << "200000"
                                   << "10.5"
                                   << "Ошибка в заполнении формы";
        QTest::newRow("leading blank") << "080000"
                                       << "200000"
                                       << " 20"
                                       << "Ошибка в заполнении формы";
        QTest::newRow("negative") << "080000"
                                  << "200000"
                                  << "-5"
                                  << "Ошибка в заполнении формы";
        QTest::newRow("minute tens 6") << "126000"
                                       << "200000"
                                       << "1"
                                       << "Ошибка в заполнении формы";
        QTest::newRow("seconds 75") << "120075"
                                    << "200000"
                                    << "1"
                                    << "Invalid value for field 'WrN'";
        QTest::newRow("end hour 24") << "080000"
                                     << "240000"
                                     << "1"
                                     << "Invalid value for field 'WrK'";
        QTest::newRow("two commas") << "080000"
                                    << "200000"
                                    << "1,2,3"
                                    << "Invalid value for field 'Cost'";
        QTest::newRow("untouched dialog") << ""
                                          << ""
                                          << ""
                                          << "Invalid value for field 'WrN'";
    }
    void acceptTariff() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, cost);
        QFETCH(QString, said);
        Windows w;
        w.table.Add({0, Ms(23, 59, 59), 1}); // an older period
        w.Fill(start, end, cost);
        w.Accept();
        const QStringList told = w.dialogs.messages + w.dialogs.errors;
        if (said.isEmpty()) {
            QVERIFY2(told.isEmpty(), qPrintable(told.join('|')));
            QVERIFY(!w.dialog.isVisible());
            QCOMPARE(w.table.ReadAll().size(), 2u);
            const TariffPeriod added = w.table.ReadAll().front().period;
            QCOMPARE(added, TariffFromInputForTest(start, end, cost));
        } else {
            QCOMPARE(told, QStringList{said});
            QVERIFY(w.dialog.isVisible());
            QCOMPARE(w.table.ReadAll().size(), 1u); // nothing left behind
            QCOMPARE(w.dialog.CostInput()->text(), cost);
        }
    }

    void anAddedPeriodIsFirstAndWinsTheLookup() {
        Windows w;
        w.table.Add({0, Ms(23, 59, 59), 1});
        w.window.show();
        QTimer::singleShot(0, &w.dialog, [&] {
            w.Fill(" 8000000", "200000", "15");
            w.Accept();
        });
        w.window.ShowNewTariffDialog();
        QCOMPARE(w.window.Grid()->currentIndex().row(), 0);
        QCOMPARE(w.Cell(0, 0), QStringLiteral("8:00:00"));
        QCOMPARE(w.Cell(0, 1), QStringLiteral("20:00:00"));
        QCOMPARE(w.Cell(0, 2), TariffModel::MoneyText(15));
        QCOMPARE(w.Cell(1, 1), QStringLiteral("23:59:59"));
        QCOMPARE(TariffBook::LookupRate(w.table.ReadAll(), Ms(12, 0, 0)), QStringLiteral("15"));
        QCOMPARE(TariffBook::LookupRate(w.table.ReadAll(), Ms(21, 0, 0)), QStringLiteral("1"));
    }

    void cancelEmptiesAndReopeningShowsTheLastInputs() {
        Windows w;
        w.Fill(" 8000000", "200000", "15");
        w.Accept();
        w.dialog.show();
        QCOMPARE(w.dialog.StartInput()->MaskText(), QStringLiteral(" 8:00:00"));
        QCOMPARE(w.dialog.CostInput()->text(), QStringLiteral("15"));
        w.dialog.findChild<QPushButton*>("Button2")->click();
        QVERIFY(!w.dialog.isVisible());
        w.dialog.show();
        QCOMPARE(w.dialog.StartInput()->MaskText(), QStringLiteral("  :  :  "));
        QCOMPARE(w.dialog.EndInput()->MaskText(), QStringLiteral("  :  :  "));
        QCOMPARE(w.dialog.CostInput()->text(), QString());
        QCOMPARE(w.table.ReadAll().size(), 1u); // Cancel undoes nothing
    }

    void exampleMessage() {
        Windows w;
        w.dialog.findChild<QPushButton*>("Button3")->click();
        QCOMPARE(w.dialogs.messages.size(), 1);
        const QStringList lines = w.dialogs.messages.front().split("\n\r");
        QCOMPARE(lines,
                 (QStringList{"Пример: С 1:00 до 8:00 - 10 руб., с 8:00 до 1:00 - 20 руб. ",
                              "Время начала-1:00, время окончания - 8:00  сумма-10 руб.",
                              "Время начала-8:00, время окончания - 23:59 сумма-20 руб.",
                              "Время начала-0:00, время окончания - 1:00 сумма-20 руб.",
                              "Главное что бы не было перехода через 0:00 т.е. с 23:00 до 1:00 <- "
                              "так запрещено"}));
    }

    // Every label shows all of its words ("тарифа" included) clear of the inputs.
    void everyLabelShowsWhole() {
        Windows w;
        w.dialog.show();
        QVERIFY2(LabelsThatDoNotFit(w.dialog).isEmpty(),
                 qPrintable(LabelsThatDoNotFit(w.dialog).join(", ")));
        w.window.show();
        QVERIFY2(LabelsThatDoNotFit(w.window).isEmpty(),
                 qPrintable(LabelsThatDoNotFit(w.window).join(", ")));
    }

    // The example is five lines, one line break each, though its text joins them with a
    // line feed and a carriage return.
    void exampleShowsSingleSpaced() {
        const QString shown = MessageText(NewTariffDialog::Example);
        QCOMPARE(shown.split(QLatin1Char('\n')).size(), 5);
        QVERIFY(!shown.contains(QLatin1Char('\r')));
        QCOMPARE(MessageText("a\r\nb\rc\n\rd"), QStringLiteral("a\nb\nc\nd"));
    }

    void navigatorDeleteAsksFirst() {
        Windows w;
        w.table.Add({0, Ms(8, 0, 0), 1});
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 2});
        w.window.Model()->SetTable(&w.table);
        w.window.show();
        const auto buttons =
            w.window.findChild<QWidget*>("DBNavigator")->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 5);
        buttons[4]->click();
        QCOMPARE(w.dialogs.deleteQuestions, 1);
        QCOMPARE(w.table.ReadAll().size(), 2u);
        w.dialogs.deleteAnswer = true;
        buttons[4]->click();
        QCOMPARE(w.table.ReadAll().size(), 1u);
        QCOMPARE(w.table.ReadAll().front().period.cost, 1.0);
    }

    void editingInPlace_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("shown");
        QTest::newRow("start time") << 0 << "9:30:00"
                                    << ""
                                    << "9:30:00";
        QTest::newRow("not a time") << 0 << "25:00"
                                    << "'25:00' is not a valid time"
                                    << "8:00:00";
        QTest::newRow("emptied time") << 1 << ""
                                      << ""
                                      << "";
        QTest::newRow("price") << 2 << "12,5"
                               << "" << TariffModel::MoneyText(12.5);
        QTest::newRow("not a number")
            << 2 << "12.5"
            << "'12.5' is not a valid floating point value for field 'Cost'"
            << TariffModel::MoneyText(20);
    }
    void editingInPlace() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(QString, shown);
        Windows w;
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20});
        w.window.Model()->SetTable(&w.table);
        w.window.show();
        QTableView* grid = w.window.Grid();
        const QModelIndex cell = w.window.Model()->index(0, column);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
        QVERIFY(editor);
        if (column == 2)
            QCOMPARE(editor->text(), QStringLiteral("20,00")); // edited as a plain number
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(w.dialogs.errors, error.isEmpty() ? QStringList{} : QStringList{error});
        QTRY_COMPARE(w.Cell(0, column), shown);
        if (!error.isEmpty()) // back in the cell with the text as typed
            QTRY_COMPARE(EditorText(grid, cell), typed);
        if (column == 1 && typed.isEmpty())
            QCOMPARE(w.table.ReadAll().front().period.wrK, std::nullopt);
    }

    void insertedRowGoesFirstAndIsStoredOnceFilled() {
        Windows w;
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20});
        w.window.Model()->SetTable(&w.table);
        w.window.show();
        QTableView* grid = w.window.Grid();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(w.window.Model()->rowCount(), 2);
        QCOMPARE(w.table.ReadAll().size(), 1u); // not stored while empty
        QTest::keyClick(grid, Qt::Key_Down);    // left empty: dropped
        QTRY_COMPARE(w.window.Model()->rowCount(), 1);
        // Tab walks the row's cells, then leaves the grid; Shift+Tab comes back to it.
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        grid->setCurrentIndex(w.window.Model()->index(0, 0));
        for (int column = 1; column < w.window.Model()->columnCount(); ++column) {
            QTest::keyClick(grid, Qt::Key_Tab);
            QCOMPARE(grid->currentIndex().column(), column);
        }
        QVERIFY(grid->hasFocus());
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(!grid->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QVERIFY(grid->hasFocus());

        w.window.InsertRow();
        const QModelIndex cost = w.window.Model()->index(0, 2);
        QVERIFY(w.window.Model()->setData(cost, "7", Qt::EditRole));
        const auto rows = w.table.ReadAll();
        QCOMPARE(rows.size(), 2u);
        QCOMPARE(rows.front().period, (TariffPeriod{std::nullopt, std::nullopt, 7.0}));
    }

    void theLookupLeavesAnEditAlone() {
        Windows w;
        w.table.Add({0, Ms(23, 59, 59), 20});
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 30});
        w.window.Model()->SetTable(&w.table);
        w.window.show();
        QTableView* grid = w.window.Grid();
        const QModelIndex cell = w.window.Model()->index(1, 2);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        qobject_cast<QLineEdit*>(grid->indexWidget(cell))->setText("45");
        struct : Clock {
            LocalMoment Now() const override { return {QDate(2026, 12, 7), 43'200'000}; }
            qint64 MonotonicMsecs() const override { return 0; }
        } noon;
        TariffBook book(noon);
        book.SetTable(&w.table);
        for (int tick = 0; tick < 3; ++tick)
            QCOMPARE(book.LookupRate(), QStringLiteral("30"));
        QCOMPARE(grid->currentIndex(), cell);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("45"));
        QCOMPARE(w.table.ReadAll()[1].period.cost, 20.0); // nothing completed behind its back
    }

    void closingStoresAnOpenEditOrStaysOpen() {
        Windows w;
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20});
        w.window.Model()->SetTable(&w.table);
        w.window.show();
        QTableView* grid = w.window.Grid();
        const QModelIndex cell = w.window.Model()->index(0, 2);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        qobject_cast<QLineEdit*>(grid->indexWidget(cell))->setText("abc");
        w.window.Cancel();
        QVERIFY(w.window.isVisible()); // a bad value keeps it open
        QCOMPARE(w.dialogs.errors.size(), 1);
        QTRY_VERIFY(EditorText(grid, cell).has_value());
        qobject_cast<QLineEdit*>(grid->indexWidget(cell))->setText("25");
        w.window.Cancel();
        QVERIFY(!w.window.isVisible());
        QCOMPARE(w.table.ReadAll().front().period.cost, 25.0);
    }

    // The three columns users know are as they were; the days come fourth.
    void theDaysColumn() {
        Windows w;
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20, "12345"});
        w.table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 5, "67"});
        w.table.Add({Ms(0, 0, 0), Ms(8, 0, 0), 10});
        w.window.Model()->SetTable(&w.table);
        QCOMPARE(w.window.Model()->columnCount(), 4);
        const QStringList titles{"Время начала действия", "Время окончания действия",
                                 "Стоимость(руб/час)", "Дни"};
        const int widths[] = {132, 152, 127};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(w.window.Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                     titles[c]);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(w.window.Grid()->columnWidth(c), widths[c]);
        QCOMPARE(w.Cell(0, 3), QStringLiteral("все"));
        QCOMPARE(w.Cell(1, 3), QStringLiteral("сб, вс"));
        QCOMPARE(w.Cell(2, 3), QStringLiteral("пн–пт"));
    }

    // Seven toggles over the cell; a period of no day is refused and nothing is stored.
    void daysAreEditedWithToggles() {
        Windows w;
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20});
        w.window.Model()->SetTable(&w.table);
        w.window.show();
        const QModelIndex cell = w.window.Model()->index(0, 3);
        w.window.Grid()->setCurrentIndex(cell);
        w.window.Grid()->edit(cell);
        auto* toggles = qobject_cast<DaysToggles*>(w.window.Grid()->indexWidget(cell));
        QVERIFY(toggles);
        QCOMPARE(toggles->Checked(), QStringLiteral("1234567"));
        toggles->Toggle(6)->click();
        toggles->Toggle(7)->click();
        QTest::keyClick(w.window.Grid()->viewport(), Qt::Key_Up); // leave the cell
        w.window.Grid()->setFocus();
        w.window.InsertRow(); // commits the open editor
        QCOMPARE(w.table.ReadAll().front().period.days, QStringLiteral("12345"));
        QCOMPARE(w.Cell(1, 3), QStringLiteral("пн–пт"));

        QVERIFY(!w.window.Model()->setData(w.window.Model()->index(1, 3), QString(), Qt::EditRole));
        QVERIFY(w.window.Model()->LastError().contains("день"));
        QVERIFY(!w.window.Model()->setData(w.window.Model()->index(1, 3), "189", Qt::EditRole));
        QCOMPARE(w.table.ReadAll().front().period.days, QStringLiteral("12345"));
        w.window.Model()->DropNewRow();
    }

    void newTariffDays_data() {
        QTest::addColumn<QList<int>>("off");
        QTest::addColumn<QString>("stored"); // "!" for refused
        QTest::newRow("every day by default") << QList<int>{} << "";
        QTest::newRow("working days") << QList<int>{6, 7} << "12345";
        QTest::newRow("Sunday only") << QList<int>{1, 2, 3, 4, 5, 6} << "7";
        QTest::newRow("no day") << QList<int>{1, 2, 3, 4, 5, 6, 7} << "!";
    }
    void newTariffDays() {
        QFETCH(QList<int>, off);
        QFETCH(QString, stored);
        Windows w;
        w.Fill("08:00:00", "20:00:00", "20");
        for (int day : off)
            w.dialog.DaysInput()->Toggle(day)->click();
        w.Accept();
        if (stored == "!") {
            QCOMPARE(w.dialogs.messages, QStringList{"Ошибка в заполнении формы"});
            QVERIFY(w.table.ReadAll().empty());
            QVERIFY(w.dialog.isVisible());
        } else {
            QCOMPARE(w.table.ReadAll().size(), 1u);
            QCOMPARE(w.table.ReadAll().front().period.days, stored);
        }
        w.dialog.show();
        w.dialog.findChild<QPushButton*>("Button2")->click(); // "Отмена": every day again
        QCOMPARE(w.dialog.DaysInput()->Checked(), QStringLiteral("1234567"));
    }

    // The price in force, and what is left of the traffic package when one is set and the
    // bytes used this period are known; a line too long for one takes two, clear of the rest.
    void inForceLine_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<TrafficTerms>("traffic");
        QTest::addColumn<qint64>("used"); // bytes this period; -1 unknown, -2 no source given
        QTest::addColumn<QString>("line");
        const QDateTime weekday(QDate(2026, 12, 11), QTime(12, 0));
        const TrafficTerms package{"0,1", 2048};
        const qint64 MiB = 1 << 20;
        QTest::newRow("a weekday")
            << weekday << TrafficTerms{} << qint64(-2)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00)";
        QTest::newRow("a weekend")
            << QDateTime(QDate(2026, 12, 12), QTime(12, 0)) << TrafficTerms{} << qint64(-2)
            << "Сейчас действует: 5,5 ₽/ч (ежедневно 0:00–23:59:59)";
        QTest::newRow("a holiday")
            << QDateTime(QDate(2026, 12, 31), QTime(12, 0)) << TrafficTerms{} << qint64(-2)
            << "Сейчас действует: 5,5 ₽/ч (ежедневно 0:00–23:59:59; "
               "сегодня считается как вс)";
        QTest::newRow("nothing")
            << QDateTime(QDate(2026, 12, 11), QTime(23, 59, 59, 500)) << TrafficTerms{}
            << qint64(-2)
            << "Сейчас действует: 0 ₽/ч (нет тарифа на это "
               "время)";
        QTest::newRow("a package, part used")
            << weekday << package << qint64(813 * MiB + MiB / 2)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00); "
               "пакет: осталось 1\u00a0234,5\u00a0МБ из 2\u00a0048\u00a0МБ";
        QTest::newRow("a package, one byte used")
            << weekday << TrafficTerms{"0", 1} << qint64(1)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00); "
               "пакет: осталось 1,00\u00a0МБ из 1\u00a0МБ";
        QTest::newRow("a package used up")
            << weekday << package << qint64(2048 * MiB)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00); "
               "пакет 2\u00a0048\u00a0МБ израсходован";
        QTest::newRow("a package, bytes used unknown")
            << weekday << package << qint64(-1)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00)";
        QTest::newRow("a package, no source of the bytes")
            << weekday << package << qint64(-2)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00)";
        QTest::newRow("a price, no package")
            << weekday << TrafficTerms{"0,1", 0} << qint64(0)
            << "Сейчас действует: 20 ₽/ч (пн–пт 8:00–20:00)";
        QTest::newRow("a holiday and a package: two lines")
            << QDateTime(QDate(2026, 12, 31), QTime(12, 0)) << package << qint64(0)
            << "Сейчас действует: 5,5 ₽/ч (ежедневно 0:00–23:59:59; "
               "сегодня считается как вс); "
               "пакет: осталось 2\u00a0048,0\u00a0МБ из 2\u00a0048\u00a0МБ";
    }
    void inForceLine() {
        QFETCH(QDateTime, now);
        QFETCH(TrafficTerms, traffic);
        QFETCH(qint64, used);
        QFETCH(QString, line);
        Windows w;
        w.table.Add({Ms(0, 0, 0), Ms(23, 59, 59), 5.5});
        w.table.Add({Ms(8, 0, 0), Ms(20, 0, 0), 20, "12345"});
        w.table.SetHoliday({QDate(2026, 12, 31)});
        w.table.SetTrafficTerms(traffic);
        w.window.SetNow([now] { return now; });
        if (used != -2)
            w.window.SetPeriodTraffic([used]() -> std::optional<quint64> {
                return used < 0 ? std::nullopt : std::optional<quint64>(used);
            });
        w.window.show();
        w.window.RefreshInForce();
        QCOMPARE(w.window.InForceLine()->text(), line);
        QVERIFY2(LabelsThatDoNotFit(w.window).isEmpty(),
                 qPrintable(LabelsThatDoNotFit(w.window).join(", ")));
        const QRect grid = w.window.findChild<QFrame*>("Panel2")->geometry();
        QVERIFY(grid.bottom() < w.window.InForceLine()->geometry().top());
    }

    void billingDialog_data() {
        QTest::addColumn<QString>("step"); // the radio button's name
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("fee");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("stored"); // unit fee minimum price package; "!" and the field
        QTest::newRow("per second") << "PerSecond"
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "1 0 0 0 0";
        QTest::newRow("per minute with a fee") << "PerMinute"
                                               << ""
                                               << "1,5"
                                               << ""
                                               << ""
                                               << "0"
                                               << "60 1.5 0 0 0";
        QTest::newRow("every 30 s, minimum") << "PerSeconds"
                                             << "30"
                                             << ""
                                             << "3"
                                             << ""
                                             << ""
                                             << "30 0 3 0 0";
        QTest::newRow("N missing") << "PerSeconds"
                                   << ""
                                   << ""
                                   << ""
                                   << ""
                                   << ""
                                   << "!N секунд";
        QTest::newRow("N too long") << "PerSeconds"
                                    << "3601"
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "!N секунд";
        QTest::newRow("fee with a point, thousands apart") << "PerMinute"
                                                           << ""
                                                           << "1.5"
                                                           << "5 000"
                                                           << ""
                                                           << ""
                                                           << "60 1.5 5000 0 0";
        QTest::newRow("negative minimum") << "PerMinute"
                                          << ""
                                          << ""
                                          << "-1"
                                          << ""
                                          << ""
                                          << "!Минимум за подключение";
        QTest::newRow("traffic priced beyond a package") << "PerMinute"
                                                         << ""
                                                         << ""
                                                         << ""
                                                         << "0.1"
                                                         << "2 048"
                                                         << "60 0 0 0,1 2048";
        QTest::newRow("a package in parts") << "PerSecond"
                                            << ""
                                            << ""
                                            << ""
                                            << ""
                                            << "1,5"
                                            << "!Пакет на период";
        QTest::newRow("the fee named before the traffic") << "PerSecond"
                                                          << ""
                                                          << "x"
                                                          << ""
                                                          << "y"
                                                          << "z"
                                                          << "!Плата за подключение";
    }
    // The terms are stored together; the file takes the format of the traffic terms only when
    // they price something.
    void billingDialog() {
        QFETCH(QString, step);
        QFETCH(QString, seconds);
        QFETCH(QString, fee);
        QFETCH(QString, minimum);
        QFETCH(QString, price);
        QFETCH(QString, package);
        QFETCH(QString, stored);
        Windows w;
        w.table.SetBilling({20, 2, 4});
        BillingDialog dialog(w.dialogs, w.table);
        QVERIFY(dialog.PerSeconds()->isChecked());
        QCOMPARE(dialog.SecondsInput()->text(), QStringLiteral("20"));
        QCOMPARE(dialog.FeeInput()->text(), QStringLiteral("2"));
        QCOMPARE(dialog.PriceInput()->text(), QString());
        QCOMPARE(dialog.PackageInput()->text(), QStringLiteral("0"));
        dialog.findChild<QRadioButton*>(step)->setChecked(true);
        dialog.SecondsInput()->setText(seconds);
        dialog.FeeInput()->setText(fee);
        dialog.MinimumInput()->setText(minimum);
        dialog.PriceInput()->setText(price);
        dialog.PackageInput()->setText(package);
        dialog.AcceptBilling();
        const Billing b = w.table.ReadBilling();
        const TrafficTerms t = w.table.ReadTrafficTerms();
        const QStringList version = RawSql(w.table.FilePath(), "PRAGMA user_version");
        if (stored.startsWith("!")) {
            QCOMPARE(w.dialogs.messages.size(), 1);
            QVERIFY2(w.dialogs.messages[0].startsWith("Ошибка в заполнении формы: поле «" +
                                                      stored.mid(1) + "»"),
                     qPrintable(w.dialogs.messages[0]));
            QCOMPARE(b, (Billing{20, 2, 4}));
            QCOMPARE(t, TrafficTerms{});
            QCOMPARE(version, QStringList{"2"});
            return;
        }
        QVERIFY(w.dialogs.messages.isEmpty());
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(b.unit)
                     .arg(b.fee)
                     .arg(b.minimum)
                     .arg(t.pricePerMebibyte)
                     .arg(t.packageMebibytes),
                 stored);
        QCOMPARE(version, QStringList{t.PricesNothing() ? "2" : "3"});
        const BillingDialog again(w.dialogs, w.table); // shows what was stored
        QCOMPARE(again.PriceInput()->text(), QString(price).replace('.', ','));
        QCOMPARE(again.PackageInput()->text(),
                 package.isEmpty() ? QStringLiteral("0") : QString(package).remove(' '));
    }

    void holidaysDialog() {
        Windows w;
        HolidaysDialog dialog(w.dialogs, w.table);
        QCOMPARE(dialog.DayInput()->currentText(), QStringLiteral("воскресенье"));
        dialog.DateInput()->setDate(QDate(2027, 1, 7));
        dialog.AddHoliday();
        dialog.DateInput()->setDate(QDate(2026, 12, 26));
        dialog.DayInput()->setCurrentIndex(0);
        dialog.AddHoliday();
        QCOMPARE(w.table.ReadHolidays(),
                 (std::vector<Holiday>{{QDate(2026, 12, 26), 1}, {QDate(2027, 1, 7), 7}}));
        QCOMPARE(dialog.List()->item(0, 0)->text(), QStringLiteral("26.12.2026"));
        QCOMPARE(dialog.List()->item(0, 1)->text(), QStringLiteral("понедельник"));
        // The date shows whole in a larger font too.
        QFont large = dialog.font();
        large.setPointSize(18);
        dialog.setFont(large);
        dialog.show();
        QTRY_VERIFY(dialog.List()->columnWidth(0) >=
                    dialog.List()->fontMetrics().horizontalAdvance("26.12.2026") + 6);
        dialog.List()->setCurrentCell(1, 0);
        w.dialogs.deleteAnswer = false;
        dialog.RemoveCurrent();
        QCOMPARE(w.table.ReadHolidays().size(), 2u);
        w.dialogs.deleteAnswer = true;
        dialog.RemoveCurrent();
        QCOMPARE(w.table.ReadHolidays(), (std::vector<Holiday>{{QDate(2026, 12, 26), 1}}));
    }

    void moneyForm() {
        QCOMPARE(TariffModel::MoneyText(15), QString::fromUtf8("15,00\u00A0\u20BD"));
        QCOMPARE(TariffModel::MoneyText(1500.5), QString::fromUtf8("1\u00A0500,50\u00A0\u20BD"));
        QCOMPARE(TariffModel::EditText(1500.5), QStringLiteral("1500,50"));
    }

private:
    static TariffPeriod TariffFromInputForTest(const QString& start, const QString& end,
                                               const QString& cost);
};

// What typing these keys into the inputs should store.
TariffPeriod TestTariffWindow::TariffFromInputForTest(const QString& start, const QString& end,
                                                      const QString& cost) {
    auto time = [](const QString& keys) {
        const QString digits = QString(keys).remove(' ');
        const int h = keys.startsWith(' ') ? digits.left(1).toInt() : digits.left(2).toInt();
        const QString rest = keys.startsWith(' ') ? digits.mid(1) : digits.mid(2);
        return Ms(h, rest.left(2).toInt(), rest.mid(2, 2).toInt());
    };
    return {time(start), time(end), QString(cost).replace(',', '.').toDouble()};
}

QTEST_MAIN(TestTariffWindow)
#include "tst_tariffwindow.moc"
