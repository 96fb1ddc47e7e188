// The program as a citizen of the desktop: Qt's own texts in Russian, readable colours under
// a dark scheme, every control reachable from the keyboard and named for a screen reader,
// and the autostart entry.
#include "Fakes.h"
#include "GuiFakes.h"
#include "about/AboutBox.h"
#include "app/Autostart.h"
#include "app/MainWindow.h"
#include "app/ObjectNames.h"
#include "app/SessionGrid.h"
#include "app/TrayIcon.h"
#include "link/CountedLink.h"
#include "link/LinkDialog.h"
#include "platform/MachineFacts.h"
#include "report/ReportDialog.h"
#include "settings/PasswordDialogs.h"
#include "settings/PollIntervalDialog.h"
#include "spend/BudgetDialog.h"
#include "spend/StatisticsWindow.h"
#include "tariffs/BillingDialog.h"
#include "tariffs/HolidaysDialog.h"
#include "tariffs/NewTariffDialog.h"
#include "tariffs/TariffWindow.h"
#include "ui/Artwork.h"
#include "ui/Contrast.h"
#include "ui/Keyboard.h"
#include "ui/Translations.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QToolButton>
#include <QtTest>

namespace {
const QDate Dec7(2026, 12, 7);

class FakeFacts final : public MachineFacts {
public:
    QString OperatingSystem() override { return "Debian GNU/Linux 12 (bookworm)"; }
    quint64 PhysicalMemoryBytes() override { return 268'435'456; }
    QString RegisteredOwner() override { return "Иван Петров"; }
};

// Debian's dark schemes, as the desktop hands them to Qt.
QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, QColor(238, 238, 238));
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, QColor(238, 238, 238));
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, QColor(238, 238, 238));
    dark.setColor(QPalette::ToolTipBase, QColor(25, 25, 25));
    dark.setColor(QPalette::ToolTipText, QColor(238, 238, 238));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    return dark;
}

// Every window of the program, built as the program builds them, over a throw-away folder.
struct Program {
    QTemporaryDir dir;
    FakeClock clock;
    ScriptedAddresses addresses;
    FakeDialogs dialogs;
    FakeFacts facts;
    AppState state{dir.path(), "kelvora", clock, addresses};
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<ReportForm> form;
    std::unique_ptr<ReportDialog> report;
    std::unique_ptr<TariffWindow> tariffs;
    std::unique_ptr<NewTariffDialog> newTariff;
    std::unique_ptr<PasswordEntryDialog> entry;
    std::unique_ptr<PasswordChangeDialog> change;
    std::unique_ptr<PollIntervalDialog> poll;
    std::unique_ptr<AboutBox> about;
    // The dialogs beyond the first ones, painted in the same form colour.
    TariffTable tariffTable{dir.path()};
    CountedLink link{dir.path()};
    std::unique_ptr<BudgetDialog> budget;
    std::unique_ptr<HolidaysDialog> holidays;
    std::unique_ptr<BillingDialog> billing;
    std::unique_ptr<StatisticsWindow> statistics;
    std::unique_ptr<LinkDialog> linkDialog;

    Program() {
        clock.Set(Dec7, 9, 0, 0);
        addresses.Always({"127.0.0.1"});
        main =
            std::make_unique<MainWindow>(state, dialogs, WindowSettings(dir.filePath("int.ini")));
        form = std::make_unique<ReportForm>();
        report = std::make_unique<ReportDialog>(*form, dialogs);
        tariffs = std::make_unique<TariffWindow>(dialogs);
        newTariff = std::make_unique<NewTariffDialog>(dialogs);
        entry = std::make_unique<PasswordEntryDialog>(state.ThePasswords());
        change = std::make_unique<PasswordChangeDialog>(state.ThePasswords(), state, dialogs);
        poll = std::make_unique<PollIntervalDialog>(dialogs, [](int) { return std::nullopt; });
        about = std::make_unique<AboutBox>(facts, [](const QUrl&) {});
        budget = std::make_unique<BudgetDialog>(nullptr);
        holidays = std::make_unique<HolidaysDialog>(dialogs, tariffTable);
        billing = std::make_unique<BillingDialog>(dialogs, tariffTable);
        statistics = std::make_unique<StatisticsWindow>(
            [](const QDate&, const QDate&) { return std::vector<DayTotal>{}; },
            [] {
                return std::pair<qint64, double>{0, 0};
            });
        linkDialog = std::make_unique<LinkDialog>(link, dialogs);
    }
    ~Program() { main->CloseDown(false); }
    QList<QWidget*> Windows() const {
        return {main.get(),    report.get(),     tariffs.get(),   newTariff.get(), entry.get(),
                change.get(),  poll.get(),       about.get(),     budget.get(),    holidays.get(),
                billing.get(), statistics.get(), linkDialog.get()};
    }
    QList<QWidget*> LaterDialogs() const {
        return {budget.get(), holidays.get(), billing.get(), statistics.get(), linkDialog.get()};
    }
};

// The widgets a window draws itself, not those of the dialogs it owns, nor the parts a
// stock control is made of (a spin box's line, a table's corner button).
QList<QWidget*> OwnWidgets(QWidget* window) {
    QList<QWidget*> own;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !w->isVisibleTo(window))
            continue;
        const QWidget* parent = w->parentWidget();
        if (qobject_cast<const QAbstractSpinBox*>(parent) ||
            qobject_cast<const QAbstractItemView*>(parent))
            continue;
        own << w;
    }
    return own;
}

bool Interactive(const QWidget* w) {
    return !w->focusProxy() &&
           ((w->focusPolicy() & Qt::TabFocus) || qobject_cast<const QAbstractButton*>(w));
}

// What the widget is drawn on: the nearest of it and its parents that fills its background.
QColor BackgroundOf(const QWidget* w) {
    for (const QWidget* at = w; at; at = at->parentWidget())
        if (at->autoFillBackground() || at->isWindow())
            return at->palette().color(QPalette::Active, QPalette::Window);
    return w->palette().color(QPalette::Window);
}

QString Describe(const QWidget* w) {
    return QStringLiteral("%1 %2 in %3")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
             w->window()->objectName());
}

// Latin words other than the captions kept as they were, a formula's N and the names of
// interfaces given as examples.
bool HasLatinWords(const QString& text) {
    static const QSet<QString> kept = {"Ok", "OK", "Close", "N", "ppp", "wwan"};
    static const QRegularExpression word(QStringLiteral("[A-Za-z]+"));
    for (const auto& match : word.globalMatch(text))
        if (!kept.contains(match.captured()))
            return true;
    return false;
}

QString RunTool(const QString& tool, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, arguments);
    process.waitForFinished(30'000);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The same style for every run, whatever the machine's desktop says.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void stockDialogsSpeakRussian() {
        if (!QFileInfo::exists(QDir(Translations::QtCatalogueFolder()).filePath("qtbase_ru.qm")))
            QSKIP("Qt's Russian catalogue is not installed (qt6-translations-l10n)");
        QVERIFY(Translations::InstallRussian(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::Question, "Kelvora", "?",
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Save);
        QCOMPARE(QString(box.button(QMessageBox::Cancel)->text()).remove('&'),
                 QStringLiteral("Отмена"));
        QCOMPARE(QString(box.button(QMessageBox::Save)->text()).remove('&'),
                 QStringLiteral("Сохранить"));
        // The exit question keeps its own buttons: their captions are the program's.
    }

    void contrastRatios_data() {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("wanted");
        QTest::addColumn<QColor>("expected"); // invalid: anything that reads
        QTest::newRow("white on navy stays")
            << QColor(0, 0, 128) << QColor(Qt::white) << QColor(Qt::white);
        QTest::newRow("purple on aqua stays")
            << QColor(0, 255, 255) << QColor(128, 0, 128) << QColor(128, 0, 128);
        QTest::newRow("white on the caption gradient")
            << QColor(185, 209, 234) << QColor(Qt::white) << QColor();
        QTest::newRow("white on red") << QColor(Qt::red) << QColor(Qt::white) << QColor();
        QTest::newRow("red on light grey") << QColor(240, 240, 240) << QColor(Qt::red) << QColor();
        QTest::newRow("white on yellow cells")
            << QColor(Qt::yellow) << QColor(Qt::white) << QColor();
        QTest::newRow("black on black") << QColor(Qt::black) << QColor(Qt::black) << QColor();
    }
    void contrastRatios() {
        QFETCH(QColor, background);
        QFETCH(QColor, wanted);
        QFETCH(QColor, expected);
        const QColor got = Contrast::ReadableOn(background, wanted);
        QVERIFY2(Contrast::Ratio(background, got) >= Contrast::Enough, qPrintable(got.name()));
        if (expected.isValid())
            QCOMPARE(got, expected);
        QCOMPARE(Contrast::Ratio(Qt::black, Qt::white), 21.0);
        QCOMPARE(Contrast::Ratio(background, wanted), Contrast::Ratio(wanted, background));
    }

    // Under a dark scheme every text on a background the program fixes keeps 4.5:1.
    void everyFixedBackgroundReadsUnderADarkScheme() {
        const QPalette before = QApplication::palette();
        QApplication::setPalette(DarkPalette());
        {
            Program p;
            int checked = 0;
            for (QWidget* window : p.Windows()) {
                const QList<QWidget*> widgets = OwnWidgets(window);
                for (QWidget* w : widgets) {
                    const auto* label = qobject_cast<QLabel*>(w);
                    if (!label || label->text().isEmpty())
                        continue;
                    const QColor text =
                        label->palette().color(QPalette::Active, QPalette::WindowText);
                    const double ratio = Contrast::Ratio(text, BackgroundOf(label));
                    QVERIFY2(ratio >= Contrast::Enough,
                             qPrintable(QStringLiteral("%1 \"%2\": %3 on %4, %5:1")
                                            .arg(Describe(label), label->text(), text.name(),
                                                 BackgroundOf(label).name())
                                            .arg(ratio, 0, 'f', 2)));
                    ++checked;
                }
            }
            QVERIFY(checked >= 20);
            for (QWidget* dialog : p.LaterDialogs())
                QVERIFY2(dialog->palette().color(QPalette::Window) == Contrast::FormColour &&
                             dialog->autoFillBackground(),
                         qPrintable(Describe(dialog)));
            // The arrows of the spin fields show against their buttons' panel, as painted.
            int arrows = 0;
            for (QWidget* window : p.Windows())
                for (auto* button : window->findChildren<QToolButton*>()) {
                    if (button->arrowType() == Qt::NoArrow)
                        continue;
                    const QImage shot = button->grab().toImage();
                    QMap<QRgb, int> counts;
                    for (int y = 2; y < shot.height() - 2; ++y) // inside the frame
                        for (int x = 2; x < shot.width() - 2; ++x)
                            ++counts[shot.pixel(x, y)];
                    QRgb panel = counts.firstKey();
                    for (auto it = counts.begin(); it != counts.end(); ++it)
                        if (it.value() > counts[panel])
                            panel = it.key();
                    double best = 1;
                    for (auto it = counts.begin(); it != counts.end(); ++it)
                        best = std::max(best, Contrast::Ratio(QColor(it.key()), QColor(panel)));
                    QVERIFY2(best >= 3, qPrintable(Describe(button)));
                    ++arrows;
                }
            QVERIFY(arrows >= 2);
            // The delete button's dash, drawn in its text colour: seen on the dark button,
            // and the button still shows it when greyed.
            auto* dash = p.main->findChild<QAbstractButton*>(ObjectName::DeleteButton);
            for (const bool enabled : {true, false}) {
                dash->setEnabled(enabled);
                const QImage shot = dash->grab().toImage();
                const QPoint middle(shot.width() / 2, shot.height() / 2 + 2);
                const double ratio = Contrast::Ratio(shot.pixelColor(middle),
                                                     shot.pixelColor(middle - QPoint(20, 0)));
                QVERIFY2(ratio >= (enabled ? 3 : 1.5), qPrintable(QString::number(ratio)));
            }
            dash->setEnabled(true);
            // The menu bar's entries over the window's sky blue.
            QMenuBar* bar = p.main->menuBar();
            QVERIFY(Contrast::Ratio(bar->palette().color(QPalette::ButtonText),
                                    bar->palette().color(QPalette::Window)) >= Contrast::Enough);
            // The grid: its text follows the colours the user chooses for the backgrounds.
            SessionGrid* grid = p.main->Grid();
            for (const QColor& chosen :
                 {QColor(0, 0, 128), QColor(Qt::yellow), QColor(Qt::white), QColor(Qt::black),
                  QColor(0, 255, 255), QColor(128, 128, 128)}) {
                grid->SetCellColor(chosen);
                grid->SetFixedColor(chosen);
                QVERIFY2(Contrast::Ratio(grid->CellTextColor(), chosen) >= Contrast::Enough,
                         qPrintable(chosen.name()));
                QVERIFY2(Contrast::Ratio(grid->FixedTextColor(), chosen) >= Contrast::Enough,
                         qPrintable(chosen.name()));
                // Painted so: the cells and the title row in the chosen colour.
                const QImage shot = grid->grab().toImage();
                const QPoint cells = grid->viewport()->geometry().center();
                QCOMPARE(shot.pixelColor(cells), chosen);
                QCOMPARE(shot.pixelColor(grid->horizontalHeader()->geometry().topRight() +
                                         QPoint(-2, 2)),
                         chosen);
            }
        }
        QApplication::setPalette(before);
    }

    // The dark pictures keep enough light edge to be seen on a dark menu or button.
    void drawnIconsShowOnDarkPanels() {
        const QColor panel(53, 53, 53);
        QList<std::pair<QString, QIcon>> icons;
        for (auto [name, picture] : {std::pair{"Report", Artwork::MenuPicture::Report},
                                     {"Tariff", Artwork::MenuPicture::Tariff},
                                     {"FormColour", Artwork::MenuPicture::FormColour},
                                     {"TableColour", Artwork::MenuPicture::TableColour},
                                     {"FontColour", Artwork::MenuPicture::FontColour}})
            icons.append({QString::fromLatin1(name), Artwork::MenuIcon(picture)});
        for (auto [name, picture] : {std::pair{"First", Artwork::NavigatorPicture::First},
                                     {"Prior", Artwork::NavigatorPicture::Prior},
                                     {"Next", Artwork::NavigatorPicture::Next},
                                     {"Last", Artwork::NavigatorPicture::Last},
                                     {"Delete", Artwork::NavigatorPicture::Delete}})
            icons.append({QString::fromLatin1(name), Artwork::NavigatorIcon(picture)});
        for (const auto& [name, icon] : icons) {
            QImage image(16, 16, QImage::Format_RGB32);
            image.fill(panel);
            QPainter painter(&image);
            icon.paint(&painter, image.rect());
            painter.end();
            int seen = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    seen += Contrast::Ratio(image.pixelColor(x, y), panel) >= 3.0;
            QVERIFY2(seen >= 12, qPrintable(QStringLiteral("%1: %2 pixels").arg(name).arg(seen)));
        }
    }

    // Every control of every window has a Russian name for a screen reader, and a
    // description when it shows no words of its own.
    void everyControlIsNamed() {
        Program p;
        int checked = 0;
        for (QWidget* window : p.Windows()) {
            for (QWidget* w : OwnWidgets(window)) {
                if (!Interactive(w))
                    continue;
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
                QVERIFY2(iface, qPrintable(Describe(w)));
                const QString name = iface->text(QAccessible::Name);
                QVERIFY2(!name.trimmed().isEmpty(), qPrintable(Describe(w)));
                QVERIFY2(!HasLatinWords(name), qPrintable(Describe(w) + ": " + name));
                const auto* button = qobject_cast<QAbstractButton*>(w);
                if (!button || button->text().remove('&').trimmed().size() < 2)
                    QVERIFY2(!iface->text(QAccessible::Description).isEmpty(),
                             qPrintable(Describe(w) + ": " + name));
                ++checked;
            }
        }
        QVERIFY(checked >= 25);
    }

    // Tab reaches every control of a dialog once in a round.
    void tabReachesEveryControl() {
        Program p;
        for (QWidget* window : p.Windows()) {
            QSet<QWidget*> expected;
            for (QWidget* w : OwnWidgets(window))
                if (Interactive(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
                    expected.insert(w);
            QList<QWidget*> round;
            for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
                if (expected.contains(w))
                    round << w;
            QCOMPARE(round.size(), expected.size());
            QCOMPARE(QSet<QWidget*>(round.begin(), round.end()), expected);
        }
    }

    void accessKeysOnEveryMenuAndButton() {
        Program p;
        auto keyOf = [](const QString& text) {
            const qsizetype at = text.indexOf('&');
            return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
        };
        QList<QList<QAction*>> menus{p.main->menuBar()->actions()};
        for (QAction* top : p.main->menuBar()->actions())
            if (top->menu())
                menus << top->menu()->actions();
        emit p.main->Tray()->Menu()->aboutToShow(); // keys are marked as the menu opens
        menus << p.main->Tray()->Menu()->actions();
        for (const auto& actions : menus) {
            QSet<QChar> keys;
            for (QAction* action : actions) {
                if (action->isSeparator())
                    continue;
                const QChar key = keyOf(action->text());
                QVERIFY2(!key.isNull(), qPrintable(action->text()));
                QVERIFY2(!keys.contains(key), qPrintable(action->text()));
                keys.insert(key);
            }
        }
        for (QWidget* window : p.Windows()) {
            QSet<QChar> keys;
            for (QWidget* w : OwnWidgets(window)) {
                auto* button = qobject_cast<QAbstractButton*>(w);
                auto* label = qobject_cast<QLabel*>(w);
                const QString text = button                    ? button->text()
                                     : label && label->buddy() ? label->text()
                                                               : QString();
                if (text.size() <= 2) // symbols and the days' toggles
                    continue;
                const QChar key = keyOf(text);
                QVERIFY2(!key.isNull(), qPrintable(Describe(w) + " " + text));
                QVERIFY2(!keys.contains(key), qPrintable(Describe(w) + " " + text));
                keys.insert(key);
            }
        }
        QString taken;
        QCOMPARE(Keyboard::WithAccessKey("Цвет формы", taken), QStringLiteral("&Цвет формы"));
        QCOMPARE(Keyboard::WithAccessKey("Цвет таблицы", taken), QStringLiteral("Цвет &таблицы"));
        QCOMPARE(Keyboard::WithAccessKey("Тц", taken), QStringLiteral("Тц")); // nothing free
        QCOMPARE(Keyboard::WithAccessKey("&Close", taken), QStringLiteral("&Close"));
    }

    void f10AndAltOpenTheMenuBar_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("opens");
        QTest::newRow("F10") << "F10" << true;
        QTest::newRow("Alt alone") << "Alt" << true;
        QTest::newRow("Alt held for Alt+X") << "Alt+X" << false;
    }
    void f10AndAltOpenTheMenuBar() {
        QFETCH(QString, keys);
        QFETCH(bool, opens);
        Program p;
        p.main->show();
        QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
        QMenuBar* bar = p.main->menuBar();
        QMenu* file = bar->actions().first()->menu();
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : p.main.get();
        if (keys == "F10") {
            QTest::keyClick(focus, Qt::Key_F10);
        } else {
            QTest::keyPress(focus, Qt::Key_Alt, Qt::AltModifier);
            if (keys == "Alt+X")
                QTest::keyClick(focus, Qt::Key_X, Qt::AltModifier);
            QTest::keyRelease(focus, Qt::Key_Alt, Qt::NoModifier);
        }
        // The bar takes the keyboard: its first entry highlighted (the style's own way) or
        // its menu open (ours, where the style has none).
        if (opens) {
            QTRY_VERIFY(file->isVisible() || bar->activeAction() == bar->actions().first());
        } else {
            QCoreApplication::processEvents(); // whatever the keys set off has run
            QVERIFY(!file->isVisible());
            QVERIFY(!bar->activeAction());
        }
    }

    void autostartEntryWrittenAndRemoved_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain path") << QStringLiteral("bin/kelvora");
        QTest::newRow("spaces, quotes, dollar, percent")
            << QStringLiteral("my \"prog\" $HOME 100%/kelvora");
    }
    void autostartEntryWrittenAndRemoved() {
        QFETCH(QString, program);
        QTemporaryDir config, data;
        QDir(data.path()).mkpath(QFileInfo(program).path());
        const QString exe = QDir(data.path()).filePath(program);
        Autostart autostart(config.path(), exe, data.path());
        QVERIFY(!autostart.IsOn());
        autostart.TurnOn();
        QVERIFY(autostart.IsOn());
        QCOMPARE(autostart.EntryPath(), config.filePath("autostart/org.kelvora.Kelvora.desktop"));
        QFile file(autostart.EntryPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains("Path=" + QDir(data.path()).absolutePath() + "\n"));
        QVERIFY(text.contains("Exec=")); // the program itself: no launcher beside it
        if (!program.contains(' '))      // a purged program is not started at login
            QVERIFY2(text.contains("TryExec=" + QFileInfo(exe).absoluteFilePath() + "\n"),
                     qPrintable(text));
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (!validator.isEmpty()) {
            int code = 0;
            const QString said = RunTool(validator, {autostart.EntryPath()}, &code);
            QVERIFY2(code == 0 && said.trimmed().isEmpty(), qPrintable(said));
        }
        autostart.TurnOff();
        QVERIFY(!QFileInfo::exists(autostart.EntryPath()));
        QVERIFY(!autostart.IsOn());
        autostart.TurnOff(); // already off: nothing to do, no complaint
    }

    void autostartExecQuoting_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "/usr/bin/kelvora-desktop"
                               << "/usr/bin/kelvora-desktop";
        QTest::newRow("space") << "/opt/my apps/kelvora"
                               << "\"/opt/my apps/kelvora\"";
        QTest::newRow("dollar and quote") << "/a$b\"c"
                                          << "\"/a\\\\$b\\\\\"c\"";
        QTest::newRow("percent") << "/a%b"
                                 << "/a%%b";
        QTest::newRow("backslash") << "/a\\b"
                                   << "\"/a\\\\\\\\b\"";
    }
    void autostartExecQuoting() {
        QFETCH(QString, argument);
        QFETCH(QString, written);
        QCOMPARE(Autostart::ExecArgument(argument), written);
    }

    void autostartSwitchedOffByTheDesktopReadsOff() {
        QTemporaryDir config;
        Autostart autostart(config.path(), "/usr/bin/kelvora", config.path());
        autostart.TurnOn();
        QFile file(autostart.EntryPath());
        QVERIFY(file.open(QIODevice::Append));
        file.write("Hidden=true\n");
        file.close();
        QVERIFY(!autostart.IsOn());
    }

    // The menu entry sits after "Запускать в свернутом виде", shows the folder's state and
    // changes it; a refused write says why and leaves the check mark as the folder is.
    void autostartMenuEntry() {
        QTemporaryDir config;
        const QByteArray before = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        {
            Program p;
            QMenu* file = p.main->findChild<QAction*>(ObjectName::FileMenu)->menu();
            const QList<QAction*> entries = file->actions();
            QAction* entry = p.main->findChild<QAction*>(ObjectName::StartAtLoginEntry);
            QVERIFY(entry);
            QCOMPARE(entries.indexOf(entry), 1);
            QCOMPARE(entries.at(0)->objectName(), QStringLiteral("N9"));
            QCOMPARE(QString(entry->text()).remove('&'),
                     QStringLiteral("Запускать при входе в систему"));
            QVERIFY(entry->isCheckable());
            QVERIFY(!entry->isChecked());
            const QString path = config.filePath("autostart/org.kelvora.Kelvora.desktop");
            entry->trigger();
            QVERIFY(entry->isChecked());
            QVERIFY(QFileInfo::exists(path));
            entry->trigger();
            QVERIFY(!entry->isChecked());
            QVERIFY(!QFileInfo::exists(path));

            // The autostart folder is a file: nothing can be written there.
            QVERIFY(QDir(config.filePath("autostart")).removeRecursively());
            QFile blocker(config.filePath("autostart"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            entry->trigger();
            QVERIFY(!entry->isChecked());
            QTRY_VERIFY(!p.main->Errors().ShownMessages().isEmpty());
        }
        {
            // A new start shows an entry that is there as on.
            QFile::remove(config.filePath("autostart"));
            Autostart(config.path(), "/usr/bin/kelvora", config.path()).TurnOn();
            Program p;
            QVERIFY(p.main->findChild<QAction*>(ObjectName::StartAtLoginEntry)->isChecked());
        }
        qputenv("XDG_CONFIG_HOME", before);
        if (before.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
