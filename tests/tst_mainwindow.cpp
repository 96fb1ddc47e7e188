#include "Fakes.h"
#include "GuiFakes.h"
#include "TestFiles.h"
#include "app/ApplicationTitle.h"
#include "app/MainWindow.h"
#include "app/ObjectNames.h"
#include "app/SessionGrid.h"
#include "app/SpendWatch.h"
#include "app/TrayIcon.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/OptionsFile.h"
#include "settings/PollIntervalDialog.h"
#include "storage/SessionModel.h"
#include "ui/ProgramStyle.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QtTest>

namespace {
const QDate Dec7(2026, 12, 7);

// The program's windows over a throw-away data folder, with faked clock and addresses.
struct Program {
    QTemporaryDir dir;
    FakeClock clock;
    ScriptedAddresses addresses;
    FakeDialogs dialogs;
    FakeTimers timers;
    AppState state{dir.path(), "kelvora", clock, addresses, timers};
    std::unique_ptr<MainWindow> window;

    Program() {
        clock.Set(Dec7, 9, 0, 0);
        addresses.Always({"127.0.0.1"});
    }
    MainWindow& Open() {
        window = std::make_unique<MainWindow>(state, dialogs, WindowSettings(IniPath()));
        return *window;
    }
    QString IniPath() const { return dir.filePath("int.ini"); }
    // The tracker's timers going off.
    void StartUp() { timers.Of(SessionTracker::StartupMsecs).Fire(); }
    void Poll() { timers.Of(SessionTracker::DefaultPollMsecs).Fire(); }
    void WatchTariff() { timers.Of(SessionTracker::WatchMsecs).Fire(); }
    bool TrackerStarted() const { return timers.Of(SessionTracker::StartupMsecs).IsEnabled(); }
    QAction* Action(const char* name) const {
        return window->findChild<QAction*>(QString::fromLatin1(name));
    }
};

void MoveTo(MainWindow& w, int row) {
    w.Grid()->setCurrentIndex(w.Grid()->model()->index(row, 0));
}

QStringList Captions(const QList<QAction*>& actions) {
    QStringList captions;
    for (QAction* a : actions)
        captions << (a->isSeparator() ? QStringLiteral("-")
                                      : QString(a->text()).remove(u'&')); // as shown
    return captions;
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // First, before anything else in this process reads a picture: opening and painting the
    // window under the program's style loads no image plugin (Qt loads every one of them
    // to learn an image file's format when a reader may guess it).
    void theWindowOpensWithoutImagePlugins() {
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (!maps.open(QIODevice::ReadOnly))
            QSKIP("no /proc/self/maps here");
        maps.close();
        const QString before = QApplication::style()->name();
        QApplication::setStyle(new ProgramStyle(before));
        {
            Program p;
            MainWindow& w = p.Open();
            w.show();
            (void)w.grab();
            QVERIFY(maps.open(QIODevice::ReadOnly));
            const QByteArray mapped = maps.readAll();
            QVERIFY2(!mapped.contains("imageformats"), "an image plugin was loaded");
        }
        QApplication::setStyle(before);
    }

    // Started with another style than the default (-style windows), the grid keeps it
    // beneath its own grid-line colour, as the rest of the window does.
    void theGridKeepsTheChosenStyle() {
        const QString before = QApplication::style()->name();
        QApplication::setStyle(new ProgramStyle(QStringLiteral("windows")));
        {
            Program p;
            MainWindow& w = p.Open();
            const auto* own = qobject_cast<const QProxyStyle*>(w.Grid()->style());
            QVERIFY(own);
            QCOMPARE(own->baseStyle()->name().toLower(), QStringLiteral("windows"));
        }
        QApplication::setStyle(before);
    }

    // The status line changes every second while a connection is timed: each new text is
    // painted, and none asks the window for a new layout.
    void theStatusLineRepaintsWithoutALayout() {
        Program p;
        MainWindow& w = p.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* line = w.findChild<StatusLine*>();
        QVERIFY(line);
        struct Counter : QObject {
            int paints = 0, layouts = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                paints += event->type() == QEvent::Paint;
                layouts += event->type() == QEvent::LayoutRequest;
                return false;
            }
        } line_events, bar_events, window_events;
        line->installEventFilter(&line_events);
        w.statusBar()->installEventFilter(&bar_events);
        w.installEventFilter(&window_events);
        QCoreApplication::processEvents();
        for (const char* text : {" Интернет   0:00:01", " Интернет   10:00:02", " Нет доступа"}) {
            const int paints = line_events.paints;
            w.ShowStatus(QString::fromUtf8(text));
            QTRY_VERIFY(line_events.paints > paints);
            QCOMPARE(w.StatusText(), QString::fromUtf8(text));
        }
        QCOMPARE(bar_events.layouts + window_events.layouts, 0);
    }

    void captionGeometryAndStatus() {
        Program p;
        MainWindow& w = p.Open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Zuzevize"));
        QCOMPARE(w.pos(), QPoint(202, 110));
        QCOMPARE(w.StatusText(), QStringLiteral("Анализ состояния..."));
        QVERIFY(p.TrackerStarted());
        QVERIFY(QFileInfo::exists(p.dir.filePath("data.db")));
    }

    void menusInDisplayOrder() {
        Program p;
        MainWindow& w = p.Open();
        QCOMPARE(Captions(w.menuBar()->actions()),
                 (QStringList{"Файл", "Обо всём", "Изменить цвет", "Сайты", "Выход"}));
        QCOMPARE(
            Captions(p.Action(ObjectName::FileMenu)->menu()->actions()),
            (QStringList{"Запускать в свернутом виде", "Запускать при входе в систему",
                         "Скрыть окно", "-", "Тариф", "Отчет...", "Статистика...", "Бюджет...",
                         "Установка пароля...", "Настройка...", "Подключение...", "-", "Выход"}));
        QCOMPARE(Captions(p.Action(ObjectName::ColourMenu)->menu()->actions()),
                 (QStringList{"Цвет формы", "Цвет таблицы", "Цвет шрифта", "Трафик в таблице"}));
        QCOMPARE(Captions(p.Action(ObjectName::SitesMenu)->menu()->actions()),
                 (QStringList{"Сайт разработчика", "Microsoft в России", "Internet-Zone", "Borland",
                              "Yandex", "Rambler", "Google", "Fast", "Yahoo", "Апорт", "Narod"}));
        // Each entry found by its own name: no two share one.
        QStringList names;
        for (const QAction* action : w.findChildren<QAction*>())
            if (!action->objectName().isEmpty())
                names << action->objectName();
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        QCOMPARE(
            Captions(w.Tray()->Menu()->actions()),
            (QStringList{"Отчет...", "Статистика...", "Тариф...", "-", "Восстановить", "Закрыть"}));
    }

    void sitesOpenTheirOwnAddresses() {
        Program p;
        MainWindow& w = p.Open();
        const QRect before = w.geometry();
        const auto sites = p.Action(ObjectName::SitesMenu)->menu()->actions();
        for (QAction* site : sites)
            site->trigger();
        QCOMPARE(p.dialogs.opened.size(), sites.size());
        QSet<QUrl> distinct(p.dialogs.opened.begin(), p.dialogs.opened.end());
        QCOMPARE(distinct.size(), sites.size());
        for (const QUrl& url : p.dialogs.opened)
            QVERIFY2(url.isValid() && url.scheme().startsWith("http"), qPrintable(url.toString()));
        QCOMPARE(w.geometry(), before);
    }

    void exitAsksAndOnlyYesCloses_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("Файл / Выход") << ObjectName::FileExitEntry;
        QTest::newRow("Выход on the bar") << ObjectName::BarExitEntry;
    }
    void exitAsksAndOnlyYesCloses() {
        QFETCH(QString, entry);
        Program p;
        MainWindow& w = p.Open();
        w.show();
        p.Action(qPrintable(entry))->trigger();
        QCOMPARE(p.dialogs.confirmations, 1);
        QVERIFY(w.isVisible());
        QVERIFY(!QFileInfo::exists(p.IniPath()));
        p.dialogs.confirmAnswer = true;
        p.Action(qPrintable(entry))->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(QFileInfo::exists(p.IniPath()));
    }

    // The first start also tells, once and without a box, where the link and the prices are
    // set; later starts do not.
    void titleBarCloseDoesNotAskAndWritesSettings() {
        Program p;
        MainWindow& w = p.Open();
        QSignalSpy fellBack(&w.Spending()->Notifier(), &DesktopNotifier::FellBack);
        QSignalSpy shown(&w.Spending()->Notifier(), &DesktopNotifier::Shown);
        w.show();
        QTRY_COMPARE(fellBack.count() + shown.count(), 1);
        w.close();
        QCOMPARE(p.dialogs.confirmations, 0);
        QVERIFY(p.dialogs.errors.isEmpty() && p.dialogs.messages.isEmpty());
        QCOMPARE(WindowSettings(p.IniPath()).ReadCountStart(), 1);
        Program again;
        WriteFile(again.IniPath(), "[START]\nCountStart=41\n[Form1]\nLeft=30\nTop=40\n");
        MainWindow& w2 = again.Open();
        QSignalSpy told(&w2.Spending()->Notifier(), &DesktopNotifier::FellBack);
        QCoreApplication::processEvents();
        QCOMPARE(told.count(), 0);
        QCOMPARE(w2.CountStart(), 41);
        QCOMPARE(w2.pos(), QPoint(30, 40));
    }

    // A close that cannot store the open connection or the window settings says so through
    // the program's dialogs, never a box of its own.
    void aFailedCloseIsToldThroughTheDialogs() {
        Program p;
        MainWindow& w = p.Open();
        p.StartUp();
        p.addresses.Always({"10.1.2.3"});
        p.Poll();
        p.clock.Advance(9000);
        // Another program holds data.db for writing, and int.ini's place is a folder.
        sqlite3* other = nullptr;
        sqlite3_open(p.dir.filePath("data.db").toUtf8().constData(), &other);
        sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        QVERIFY(QDir(p.dir.path()).mkpath("int.ini"));
        w.show();
        w.close();
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(p.dialogs.errors.size(), 2);
        QVERIFY2(p.dialogs.errors[0].contains("не записаны"), qPrintable(p.dialogs.errors[0]));
    }

    void closingWhileConnectedWritesTheRecord() {
        Program p;
        MainWindow& w = p.Open();
        p.StartUp();
        p.addresses.Always({"10.1.2.3"});
        p.Poll(); // 9:00:00 on line
        p.clock.Advance(90'000);
        w.show();
        w.close();
        QCOMPARE(RawSql(p.dir.filePath("data.db"),
                        "SELECT WremN||' '||WremW||' '||Itogo||' '||Tarif FROM session"),
                 QStringList{"9:00:00 9:01:30 0:01:30 0"});
        w.CloseDown(false); // the end of the event loop closes once more: nothing twice
        QCOMPARE(RawSql(p.dir.filePath("data.db"), "SELECT count(*) FROM session"),
                 QStringList{"1"});
    }

    // The tray tip is brought up to date at every poll. A poll that only keeps the open
    // connection reuses the period's stored records as read last, but a new period is read
    // afresh: the month's last day's spending never follows the tip into the next month.
    void theTipReadsANewPeriodAfresh() {
        Program p;
        p.clock.Set(QDate(2026, 11, 30), 23, 50, 0);
        MainWindow& w = p.Open();
        p.StartUp();
        RawSql(p.dir.filePath("data.db"),
               "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
               "VALUES('2026-11-30', '9:00:00', '10:00:00', '1:00:00', '100', '100')");
        p.addresses.Always({"10.1.2.3"});
        p.Poll(); // connected; the open connection kept
        p.timers.Of(SpendWatch::RereadMsecs).Pass(SpendWatch::RereadMsecs); // the minute passes
        QVERIFY2(w.Spending()->Tip().contains(QStringLiteral("За период: 100,00")),
                 qPrintable(w.Spending()->Tip()));
        p.clock.Advance(3000);
        p.Poll();
        QVERIFY2(w.Spending()->Tip().contains(QStringLiteral("За период: 100,00")),
                 qPrintable(w.Spending()->Tip()));
        p.clock.Advance(10 * 60'000 + 27'000); // 0:00:30 on December 1
        p.Poll();                              // the open connection kept, in December
        QVERIFY2(!w.Spending()->Tip().contains(QStringLiteral("100,00")),
                 qPrintable(w.Spending()->Tip()));
        // Past the midnight split the tip still counts the whole connection, as the status
        // line does, not only the piece still open.
        p.WatchTariff();
        p.Poll();
        QVERIFY2(w.Spending()->Tip().contains(QStringLiteral("Подключение: 0:10:30")),
                 qPrintable(w.Spending()->Tip()));
    }

    // The traffic is counted only once something asks for it, and from then on data.db keeps
    // each record's bytes.
    void whatAsksForTheTraffic_data() {
        QTest::addColumn<QString>("ini");   // kelvora.ini
        QTest::addColumn<QString>("price"); // of a mebibyte in tarif.db; empty: none set
        QTest::addColumn<bool>("counted");
        QTest::newRow("nothing") << "[Budget]\nMoney=100\n"
                                 << "" << false;
        QTest::newRow("a traffic budget") << "[Budget]\nTraffic=100\n"
                                          << "" << true;
        QTest::newRow("the grid's columns") << "[Grid]\nTraffic=true\n"
                                            << "" << true;
        QTest::newRow("a traffic price") << ""
                                         << "0,5" << true;
    }
    void whatAsksForTheTraffic() {
        QFETCH(QString, ini);
        QFETCH(QString, price);
        QFETCH(bool, counted);
        struct : CounterSource {
            std::optional<QList<LinkCounters>> Counters() override {
                return QList<LinkCounters>{{2, "eth0", false, {1000, 1000}}};
            }
            bool Counted(const QString&) override { return true; }
        } counters;
        Program p;
        WriteFile(p.dir.filePath("kelvora.ini"), ini.toUtf8());
        if (!price.isEmpty())
            TariffTable(p.dir.path()).SetTrafficTerms({price, 0});
        p.state.SetCounterSource(&counters);
        p.Open();
        p.StartUp();
        QCOMPARE(p.state.CountsTraffic(), counted);
        p.addresses.Always({"10.1.2.3"});
        p.Poll();
        QCOMPARE(RawSql(p.dir.filePath("data.db"), "PRAGMA user_version"),
                 QStringList{counted ? "5" : "4"});
        if (!counted) { // «Тарификация» prices the traffic while the program runs
            p.state.Tariffs()->SetTrafficTerms({QStringLiteral("1"), 0});
            QVERIFY(p.state.CountsTraffic());
        }
    }

    void colourDialogRemembersTheLastColour() {
        Program p;
        MainWindow& w = p.Open();
        SessionGrid* grid = w.Grid();
        p.dialogs.colorAnswer = QColor(Qt::red);
        p.Action(ObjectName::FormColourEntry)->trigger();
        QCOMPARE(grid->CellColor(), QColor(Qt::red));
        QCOMPARE(grid->FixedColor(), SessionGrid::DefaultFixedColor);
        p.dialogs.colorAnswer.reset(); // cancelled
        p.Action(ObjectName::GridColourEntry)->trigger();
        QCOMPARE(p.dialogs.colorInitials, (QList<QColor>{Qt::black, Qt::red}));
        QCOMPARE(grid->FixedColor(), SessionGrid::DefaultFixedColor);
        p.dialogs.colorAnswer = QColor(Qt::green);
        p.Action(ObjectName::GridColourEntry)->trigger();
        QCOMPARE(grid->FixedColor(), QColor(Qt::green));
        QCOMPARE(grid->CellColor(), QColor(Qt::red));
    }

    void fontDialogStartsFromItsLastChoice() {
        Program p;
        MainWindow& w = p.Open();
        QCOMPARE(w.Grid()->TitleFont().color, QColor(128, 0, 128));
        QFont chosen = w.font();
        chosen.setPixelSize(20);
        chosen.setUnderline(true);
        p.dialogs.fontAnswer = FontChoice{chosen, Qt::darkGreen};
        p.Action(ObjectName::FontColourEntry)->trigger();
        p.Action(ObjectName::FontColourEntry)->trigger();
        QCOMPARE(p.dialogs.fontInitials.size(), 2);
        QCOMPARE(p.dialogs.fontInitials[0].font.pixelSize(), 11);
        QCOMPARE(p.dialogs.fontInitials[1].font.pixelSize(), 20);
        QCOMPARE(p.dialogs.fontInitials[1].color, QColor(Qt::darkGreen));
        QCOMPARE(w.Grid()->TitleFont().color, QColor(Qt::darkGreen));
        QVERIFY(w.Grid()->horizontalHeader()->font().underline());
    }

    void navigatorHasFourButtonsThatMoveTheRecord() {
        Program p;
        {
            SessionTable table(p.dir.path());
            for (const char* start : {"1", "2", "3"})
                table.Append({Dec7, start, "", "", "", ""});
        }
        MainWindow& w = p.Open();
        const auto buttons =
            w.findChild<QWidget*>(ObjectName::Navigator)->findChildren<QToolButton*>();
        QStringList names;
        for (auto* b : buttons)
            names << b->objectName();
        QCOMPARE(names, (QStringList{"nbFirst", "nbPrior", "nbNext", "nbLast"}));
        auto current = [&] {
            return p.state.Sessions()->FieldText("WremN");
        };
        QCOMPARE(current(), QStringLiteral("3"));
        buttons[3]->click();
        QCOMPARE(current(), QStringLiteral("1"));
        buttons[1]->click();
        QCOMPARE(current(), QStringLiteral("2"));
        buttons[0]->click();
        QCOMPARE(current(), QStringLiteral("3"));
        QVERIFY(!buttons[0]->isEnabled() && !buttons[1]->isEnabled());
        buttons[2]->click();
        QCOMPARE(current(), QStringLiteral("2"));
    }

    void gridRefusesEdits() {
        Program p;
        MainWindow& w = p.Open();
        p.state.Sessions()->Append(
            {Dec7, "9:00:00", "9:01:00", "0:01:00", "20", "0,333333333333333"});
        w.show();
        SessionGrid* grid = w.Grid();
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QTest::keyClicks(grid, "12");
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(RawSql(p.dir.filePath("data.db"), "SELECT WremN FROM session"),
                 QStringList{"9:00:00"});
    }

    // A connection split while the grid is open: every record shows at once, the newest
    // first, not only after a restart.
    void splitRecordsReachTheGridAtOnce() {
        Program p;
        MainWindow& w = p.Open();
        SessionModel* model = w.Grid()->Sessions();
        p.StartUp();
        p.addresses.Always({"10.1.2.3"});
        p.clock.Set(Dec7, 23, 59, 50);
        p.clock.Advance(0);
        p.Poll(); // on line at 23:59:50
        p.clock.Advance(12'000);
        p.WatchTariff(); // 0:00:02 on 8 Dec: the day's segment is stored
        QCOMPARE(model->rowCount(), 1);
        p.clock.Advance(86'400'000);
        p.WatchTariff(); // 0:00:02 on 9 Dec: the whole of 8 Dec, in two halves
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("08.12.2026"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("12:00:00"));
        p.clock.Advance(4000);
        p.addresses.Always({"127.0.0.1"});
        p.Poll(); // off line: the last record
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("09.12.2026"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("0:00:00"));
        QCOMPARE(model->index(3, 2).data().toString(), QStringLiteral("0:00:00")); // midnight
    }

    void aNewRecordShowsAtOnceAndDeleteRemovesTheCurrentOne() {
        Program p;
        MainWindow& w = p.Open();
        SessionModel* model = w.Grid()->Sessions();
        w.DeleteRecord(); // empty table: says so, changes nothing
        QCOMPARE(w.Errors().ShownMessages(),
                 QStringList{"Cannot perform this operation on an empty dataset"});
        p.state.Sessions()->Append({Dec7, "old", "", "", "", ""});
        p.state.Sessions()->Append({Dec7, "new", "", "", "", ""});
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("new"));
        w.Grid()->setCurrentIndex(model->index(1, 0));
        w.DeleteRecord();
        QCOMPARE(RawSql(p.dir.filePath("data.db"), "SELECT WremN FROM session"),
                 QStringList{"new"});
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(p.state.Sessions()->FieldText("WremN"), QStringLiteral("new"));
    }

    // When the grid's model has fallen behind the table (a row stored that it was not told
    // of), a delete makes it catch up by a reset: the current row is still the one after
    // the deleted row, not the first, and the grid shows every row.
    void aDeleteThatResetsTheGridKeepsTheNextRow() {
        Program p;
        MainWindow& w = p.Open();
        SessionModel* model = w.Grid()->Sessions();
        for (const char* time : {"a", "b", "c"})
            p.state.Sessions()->Append({Dec7, time, "", "", "", ""});
        QCOMPARE(model->rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            model->index(row, 1).data(); // the model has read them
        RawSql(p.dir.filePath("data.db"),
               "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
               "VALUES ('2026-12-07', 'd', '', '', '', '')");
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        MoveTo(w, 2); // "a", the oldest
        QCOMPARE(p.state.Sessions()->FieldText("WremN"), QStringLiteral("a"));
        w.DeleteRecord();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(p.state.Sessions()->FieldText("WremN"), QStringLiteral("b"));
        QCOMPARE(w.Grid()->currentIndex().row(), 2);
        QCOMPARE(model->index(2, 1).data().toString(), QStringLiteral("b"));
        QCOMPARE(w.StatusText(), QStringLiteral("Анализ состояния...")); // as it was
    }

    // Hidden or minimised, the window shows no status line: its one-second ticker rests,
    // and the line is up to date the moment the window shows again.
    void theTickerRestsWhileTheStatusLineIsNotShown() {
        Program p;
        MainWindow& w = p.Open();
        w.show();
        p.addresses.Always({"192.0.2.2"});
        p.StartUp();
        p.Poll(); // connected: the ticker runs
        QVERIFY(!p.state.TickerHeld());
        w.hide();
        QVERIFY(p.state.TickerHeld());
        p.timers.Of(SessionTracker::TickMsecs).Pass(1100);
        QVERIFY(!w.StatusText().contains(QStringLiteral("0:00:01")));
        w.show();
        QVERIFY(!p.state.TickerHeld());
        QVERIFY2(w.StatusText().endsWith(QStringLiteral("0:00:01")), qPrintable(w.StatusText()));
        w.showMinimized();
        QVERIFY(p.state.TickerHeld());
        w.showNormal();
        QVERIFY(!p.state.TickerHeld());
    }

    // options.dn takes effect in its lines' order at the start-up step; the dialogs are made
    // when first used, the poll-interval dialog then showing the interval in force.
    void optionsApplyInOrderAndDialogsWaitUntilUsed() {
        Program p;
        WriteFile(p.dir.filePath(OptionsFile::FileName), JoinOptions(true, "abc", 7));
        MainWindow& w = p.Open();
        QStringList effects;
        connect(&p.state, &AppState::StartMinimisedRead, this, [&](bool on) {
            effects << QStringLiteral("flag %1, password '%2'")
                           .arg(on)
                           .arg(p.state.ThePasswords().stored);
        });
        connect(&p.state, &AppState::PollIntervalRead, this, [&](int seconds) {
            effects << QStringLiteral("interval %1, polled every %2 ms")
                           .arg(seconds)
                           .arg(p.timers.Of(SessionTracker::DefaultPollMsecs).Interval());
        });
        int made = 0;
        PollIntervalDialog* poll = nullptr;
        MainWindow::Windows windows;
        windows.poll = [&] {
            ++made;
            return poll = new PollIntervalDialog(
                       p.dialogs, [](int) { return std::optional<QString>(); }, &w);
        };
        w.SetWindows(windows);
        p.StartUp(); // the start-up step: LoadOptions
        QCOMPARE(effects, (QStringList{"flag 1, password ''", "interval 7, polled every 7000 ms"}));
        QVERIFY(p.Action(ObjectName::StartMinimisedEntry)->isChecked());
        QCOMPARE(made, 0);
        QTimer::singleShot(0, &w, [&] { poll->reject(); });
        w.ShowPollSettings();
        QCOMPARE(made, 1);
        QCOMPARE(poll->Field()->Value(), 7);
        poll->Field()->SetValue(9); // typed, then "Отмена": the field keeps it
        QTimer::singleShot(0, &w, [&] { poll->reject(); });
        w.ShowPollSettings();
        QCOMPARE(made, 1);
        QCOMPARE(poll->Field()->Value(), 9);
        QCOMPARE(p.timers.Of(SessionTracker::DefaultPollMsecs).Interval(), 7000); // not applied
        p.state.SaveOptions(); // the field holds the setting: as typed
        QFile saved(p.state.OptionsPath());
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), JoinOptions(true, "abc", 9));
    }

    void hideAndRestoreKeepTheGeometry() {
        Program p;
        MainWindow& w = p.Open();
        w.Tray()->SetAvailable(true);
        w.show();
        w.setGeometry(150, 120, 640, 300);
        const QRect before = w.geometry();
        p.Action(ObjectName::HideEntry)->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(w.Tray()->IconShown() || !QSystemTrayIcon::isSystemTrayAvailable());
        w.Tray()->TrayIconNotify(TrayIcon::Mouse::Other);
        QVERIFY(!w.isVisible());
        w.Tray()->TrayIconNotify(TrayIcon::Mouse::LeftDoubleClick);
        QVERIFY(w.isVisible());
        QVERIFY(!w.Tray()->IconShown());
        QCOMPARE(w.geometry(), before);
    }

    void withoutATrayHidingMinimises() {
        Program p;
        MainWindow& w = p.Open();
        w.Tray()->SetAvailable(false);
        w.show();
        p.Action(ObjectName::HideEntry)->trigger();
        QVERIFY(w.isVisible());
        QVERIFY(w.isMinimized());
    }

    // The tray host is followed while it matters: one that comes after a hide that could
    // only minimise takes the window; one that goes away gives a hidden window back.
    void theTrayHostIsFollowed() {
        Program p;
        MainWindow& w = p.Open();
        TrayIcon* tray = w.Tray();
        bool host = false;
        tray->SetAvailability([&host] { return host; });
        w.show();
        QVERIFY(!tray->Watching()); // nothing to follow while shown
        p.Action(ObjectName::HideEntry)->trigger();
        QVERIFY(w.isMinimized());
        QVERIFY(tray->Watching());
        host = true; // a panel starts
        p.timers.Of(TrayIcon::WatchMsecs).Pass(TrayIcon::WatchMsecs - 1);
        QVERIFY(w.isVisible()); // not seen yet
        p.timers.Of(TrayIcon::WatchMsecs).Pass(1);
        QVERIFY(!w.isVisible());
        QVERIFY(tray->IconShown());
        host = false; // and goes away again
        tray->FollowTray();
        QVERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QVERIFY(!tray->IconShown());
        QVERIFY(!tray->Watching());

        // Brought back by the user before a tray came: it stays where the user put it.
        p.Action(ObjectName::HideEntry)->trigger();
        QVERIFY(w.isMinimized());
        w.showNormal();
        host = true;
        tray->FollowTray();
        QVERIFY(w.isVisible());
        QVERIFY(!tray->IconShown());
        QVERIFY(!tray->Watching());

        // With a tray at hand it hides at once; the restore stops the watch.
        p.Action(ObjectName::HideEntry)->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(tray->Watching());
        tray->TrayIconNotify(TrayIcon::Mouse::LeftDoubleClick);
        QVERIFY(w.isVisible());
        QVERIFY(!tray->Watching());
    }

    void trayClicksOpenTheMenu() {
        Program p;
        MainWindow& w = p.Open();
        QSignalSpy shown(w.Tray(), &TrayIcon::MenuShown);
        w.Tray()->TrayIconNotify(TrayIcon::Mouse::RightUp);
        QCOMPARE(shown.count(), 1);
        w.Tray()->Menu()->hide();
        w.Tray()->TrayIconNotify(TrayIcon::Mouse::LeftUp); // waits for a possible double-click
        QCOMPARE(shown.count(), 1);
        QTRY_COMPARE(shown.count(), 2);
        w.Tray()->Menu()->hide();
    }

    void trayCloseEndsWithoutAsking() {
        Program p;
        MainWindow& w = p.Open();
        w.Tray()->SetAvailable(true);
        w.show();
        p.Action(ObjectName::HideEntry)->trigger();
        p.Action(ObjectName::TrayCloseEntry)->trigger();
        QCOMPARE(p.dialogs.confirmations, 0);
        QVERIFY(!w.Tray()->IconShown());
        QCOMPARE(WindowSettings(p.IniPath()).ReadCountStart(), 1);
    }

    void aForeignSessionFileStopsNothingElse() {
        Program p;
        WriteFile(p.dir.filePath("data.db"), "not a database");
        MainWindow& w = p.Open();
        QCOMPARE(w.Errors().ShownMessages().size(), 1);
        QVERIFY(w.Errors().ShownMessages().front().contains(p.dir.filePath("data.db")));
        QCOMPARE(FileDigest(p.dir.filePath("data.db")),
                 QCryptographicHash::hash("not a database", QCryptographicHash::Sha256));
        // Connections are still timed, and kept while nothing can be stored.
        QVERIFY(p.TrackerStarted());
        p.StartUp();
        p.addresses.Always({"10.1.2.3"});
        p.Poll();
        p.clock.Advance(60'000);
        p.addresses.Always({"127.0.0.1"});
        p.Poll();
        QCOMPARE(p.state.UnstoredSegments(), 1u);
        QVERIFY(!w.Grid());
        // The user moves the other file away: the record is stored, and the grid comes.
        QFile::rename(p.dir.filePath("data.db"), p.dir.filePath("other.db"));
        p.Poll();
        QVERIFY(p.state.UnstoredSegments() == 0);
        QCOMPARE(RawSql(p.dir.filePath("data.db"), "SELECT Itogo FROM session"),
                 QStringList{"0:01:00"});
        QVERIFY(w.Grid());
        QCOMPARE(w.Grid()->model()->rowCount(), 1);
        w.show();
        w.close(); // still closes and writes its settings
        QVERIFY(QFileInfo::exists(p.IniPath()));
    }

    void applicationTitle_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("installed") << "/usr/bin/kelvora"
                                   << "kelvora";
        QTest::newRow("upper case, extension") << "/opt/ZUZEVIZE.EXE"
                                               << "Zuzevize";
        QTest::newRow("cut at the first dot") << "./Kelvora.debug.bin"
                                              << "Kelvora";
    }
    void applicationTitle() {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitle(path), title);
    }

    // The period's spending is first looked at once the window is painted, or a moment in
    // when it starts hidden; either way the tray's tip has it.
    void theFirstSpendingLookFollowsThePaint_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden") << false;
    }
    void theFirstSpendingLookFollowsThePaint() {
        QFETCH(bool, shown);
        Program p;
        SessionTable(p.dir.path()).Append({Dec7, "8:00:00", "9:00:00", "1:00:00", "12", "12"});
        MainWindow& w = p.Open();
        if (shown) {
            w.show(); // painted: the look follows, its timer left alone
        } else {
            QCoreApplication::processEvents();
            QVERIFY(!w.Tray()->ToolTip().contains(QStringLiteral("За период")));
            p.timers.Of(MainWindow::FirstSpendingLookMsecs).Fire();
        }
        QTRY_VERIFY2(
            w.Tray()->ToolTip().contains(QStringLiteral("За период: 12,00\u00a0₽")),
            qPrintable(w.Tray()->ToolTip()));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
