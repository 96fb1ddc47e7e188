#include "MainWindow.h"

#include "Autostart.h"
#include "ObjectNames.h"
#include "RecordsPane.h"
#include "SessionGrid.h"
#include "SpendWatch.h"
#include "SpendWindows.h"
#include "TrayIcon.h"
#include "about/AboutBox.h"
#include "report/ReportDialog.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/PasswordDialogs.h"
#include "settings/PollIntervalDialog.h"
#include "storage/Failure.h"
#include "storage/MaintenanceSchedule.h"
#include "tariffs/TariffWindow.h"
#include "ui/Artwork.h"
#include "ui/Contrast.h"
#include "ui/UiFonts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

const QColor MainWindow::Background(166, 202, 240);

MainWindow::MainWindow(AppState& state, Dialogs& dialogs, WindowSettings settings, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs), settings_(std::move(settings)),
      errors_(this, state.Title()), status_(new StatusLine(this)) {
    setObjectName(QString::fromLatin1(ObjectName::MainForm));
    setWindowTitle(QStringLiteral("Zuzevize"));
    setWindowIcon(Artwork::ApplicationIcon());
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    Contrast::FixColours(this, Background, Qt::black);

    const WindowGeometry design;
    setGeometry(design.left, design.top, design.width, design.height);
    statusBar()->addWidget(status_, 1);
    status_->setAccessibleName(QStringLiteral("Состояние подключения"));
    statusBar()->setFixedHeight(19);

    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName(QString::fromLatin1(ObjectName::TrayMenu));
    tray_ = new TrayIcon(this, trayMenu_, state_.Timers());
    BuildSpending();
    BuildMenus();
    connect(&state_, &AppState::StartMinimisedRead, this, [this](bool on) {
        startMinimised_->setChecked(on);
        if (on)
            tray_->HideToTray();
    });
    connect(&state_, &AppState::PollIntervalRead, this, [this](int seconds) {
        if (windows_.poll.Made())
            PollDialog()->Field()->SetValue(seconds);
    });
    SetUp();
}

void MainWindow::BuildSpending() {
    spend_ = new SpendWatch(state_, *tray_, this);
    spendWindows_ = new SpendWindows(state_, *spend_, *this,
                                     [this](const QString& problem) { ShowError(problem); });
    // The first look at the period's spending waits for the window's first paint, so the
    // window is on the screen sooner; a window that starts hidden gets it a moment later.
    firstLook_ = state_.Timers().Make(FirstSpendingLookMsecs, [this] { FirstSpendingLook(); });
    firstLook_->Enable();
}

void MainWindow::FirstSpendingLook() {
    if (!firstLook_->IsEnabled())
        return;
    firstLook_->Disable();
    QTimer::singleShot(0, spend_, &SpendWatch::RereadAndUpdate);
}

void MainWindow::ShowStatistics() {
    spendWindows_->ShowStatistics();
}

void MainWindow::ShowBudgetDialog() {
    Guarded([this] { spendWindows_->ShowBudget(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::SetUp() {
    countStart_ = settings_.ReadCountStart();
    const WindowGeometry read = settings_.ReadGeometry(Geometry());
    const QScreen* screen = QGuiApplication::screenAt(QPoint(read.left, read.top));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    frame_.Ask(read, screen ? screen->availableGeometry() : QRect());
    move(frame_.Asked().left, frame_.Asked().top); // a window's position is its frame's
    // made smaller by the frame once the frame is known
    resize(frame_.Asked().width, frame_.Asked().height);

    try {
        state_.OpenSessionTable();
        BuildGrid();
        LookAfterFiles();
        connect(state_.Sessions(), &SessionTable::Removed, spend_, &SpendWatch::RereadAndUpdate);
    } catch (const Failure& failure) {
        // The program goes on: connections are timed and kept, and stored once data.db
        // can be opened again; the grid comes then.
        ShowError(failure.message());
        setCentralWidget(new QWidget(this));
        connect(&state_, &AppState::SessionsOpened, this, [this] {
            BuildGrid();
            LookAfterFiles();
        });
    }
    state_.StartTracker(*this);
    if (countStart_ == 0) {
        // The first start: until the paid link is chosen every interface with an address
        // counts, and until tariffs are entered every record costs 0 ₽. Said once, in a
        // notification (the tray's message where there is none), never in a box to answer.
        QTimer::singleShot(0, this, [this] {
            spend_->Notifier().Notify(
                QStringLiteral("Kelvora: с чего начать"),
                QStringLiteral("Сейчас считается любое подключение с адресом, а цены берутся из "
                               "таблицы тарифов. Выберите подключение, за которое платите, в "
                               "«Файл → Подключение...», а цены введите в «Файл → Тариф»."));
        });
    }
}

void MainWindow::BuildGrid() {
    if (records_)
        return;
    records_ = new RecordsPane(*this, *state_.Sessions(), dialogs_);
    connect(records_, &RecordsPane::DeleteAsked, this, &MainWindow::DeleteRecord);
    connect(records_, &RecordsPane::ReadFailed, this, &MainWindow::ShowError);
    // The traffic columns ask for the traffic to be counted.
    connect(records_, &RecordsPane::TrafficColumnsChanged, &state_,
            &AppState::UpdateTrafficCounting);
}

void MainWindow::LookAfterFiles() {
    // SQLite's quick check and the daily copies read the whole files: off the user's way,
    // on a worker thread with connections of their own, and not at every start.
    auto* schedule = new MaintenanceSchedule(
        state_.DataDirectory(), state_.Sessions()->FilePath(),
        [this] { return state_.TheClock().Now().date; }, state_.LastRunLeftDataOpen(), this);
    connect(schedule, &MaintenanceSchedule::Trouble, this, &MainWindow::ShowError);
    schedule->Start();
}

SessionGrid* MainWindow::Grid() const {
    return records_ ? records_->Grid() : nullptr;
}

void MainWindow::ShowStatus(const QString& text) {
    status_->setText(text);
}

QString MainWindow::StatusText() const {
    return status_->text();
}

void MainWindow::ExitWithConfirmation() {
    if (dialogs_.ConfirmExit(this))
        close();
}

void MainWindow::HideWindow() {
    tray_->HideToTray();
}

void MainWindow::ChooseFormColour() {
    if (records_)
        records_->ChooseFormColour();
}

void MainWindow::ChooseGridColour() {
    if (records_)
        records_->ChooseGridColour();
}

void MainWindow::ChooseFont() {
    if (records_)
        records_->ChooseFont();
}

void MainWindow::ShowAbout() {
    if (windows_.about)
        windows_.about->exec();
}

void MainWindow::SetWindows(const Windows& windows) {
    windows_ = windows;
    if (windows_.passwordEntry)
        gate_ =
            std::make_unique<AccessGate>(state_.ThePasswords(), [this]() -> PasswordEntryDialog& {
                return *windows_.passwordEntry;
            });
}

void MainWindow::Guarded(const std::function<void()>& command) {
    if (!gate_)
        return command();
    if (gate_->Ask())
        command();
    else if (!state_.ThePasswords().entered.isEmpty())
        dialogs_.Message(this, QStringLiteral("Нет прав доступа"));
}

void MainWindow::ShowTariffs() {
    Guarded([this] {
        if (windows_.tariffs)
            windows_.tariffs->Open(state_.Tariffs());
    });
}

void MainWindow::ToggleStartMinimised() {
    try {
        state_.SetStartMinimised(startMinimised_->isChecked());
    } catch (const Failure& failure) {
        startMinimised_->setChecked(!startMinimised_->isChecked()); // as the file still says
        ShowError(failure.message());
    }
}

Autostart MainWindow::LoginStart() const {
    return Autostart(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                     QCoreApplication::applicationFilePath(), state_.DataDirectory());
}

void MainWindow::ToggleStartAtLogin() {
    const bool on = startAtLogin_->isChecked();
    try {
        if (on)
            LoginStart().TurnOn();
        else
            LoginStart().TurnOff();
    } catch (const Failure& failure) {
        startAtLogin_->setChecked(!on); // as the autostart folder still says
        ShowError(failure.message());
    }
}

void MainWindow::ChangePassword() {
    if (!windows_.passwordChange)
        return;
    windows_.passwordChange->ClearFields();
    windows_.passwordChange->exec();
}

void MainWindow::ShowPollSettings() {
    Guarded([this] {
        if (!windows_.poll)
            return;
        PollDialog()->exec();
    });
}

PollIntervalDialog* MainWindow::PollDialog() {
    PollIntervalDialog* dialog = windows_.poll.get();
    if (dialog && !pollFieldTied_) {
        // First used now, the field shows the setting; what is typed there is the setting
        // from then on, "Отмена" or not.
        pollFieldTied_ = true;
        IntegerSpinEdit* field = dialog->Field();
        field->SetValue(state_.CurrentOptions().pollSeconds);
        connect(field->Editor(), &QLineEdit::textChanged, this,
                [this, field] { state_.KeepPollField(field->Value()); });
    }
    return dialog;
}

void MainWindow::ShowReportDialog() {
    if (!windows_.report)
        return;
    windows_.report->SetTable(state_.Sessions());
    windows_.report->exec();
}

void MainWindow::ShowTariffsFromTray() {
    // The same prices as the main menu's "Тариф": behind the same password.
    ShowTariffs();
}

void MainWindow::DeleteRecord() {
    if (!records_)
        return;
    // Behind the password: the first click only asks; the click after a right entry deletes.
    if (gate_ && !state_.ThePasswords().Open()) {
        gate_->Ask();
        return;
    }
    try {
        records_->DeleteCurrent();
    } catch (const Failure& failure) {
        ShowError(failure.message());
    }
}

WindowGeometry MainWindow::Geometry() const {
    return frame_.Outer(frameGeometry());
}

void MainWindow::TakeFrame() {
    if (!isVisible() || isMinimized() || isMaximized() || isFullScreen())
        return;
    if (const auto inside =
            frame_.Framed(windowHandle() ? windowHandle()->frameMargins() : QMargins()))
        resize(*inside);
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        state_.SetStatusShown(isVisible() && !isMinimized());
        break;
    case QEvent::UpdateRequest: // painted
        FirstSpendingLook();
        break;
    default:
        break;
    }
    if (frame_.FramePending()) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::WindowActivate:
        case QEvent::Expose:
        case QEvent::UpdateRequest:
            TakeFrame();
            break;
        default:
            break;
        }
    }
    return handled;
}

void MainWindow::CloseDown(bool interactive) {
    if (closed_)
        return;
    closed_ = true;
    // A connection still being timed is written as a record that ends now, first.
    if (!state_.CloseOpenConnection()) {
        const QString text = QStringLiteral("Не все записи о подключении удалось сохранить: "
                                            "последние подключения не записаны.");
        if (interactive)
            dialogs_.Error(this, text);
        else
            qWarning("%s", qPrintable(text));
    }
    try {
        settings_.Write(countStart_, Geometry());
    } catch (const Failure& failure) {
        if (interactive)
            dialogs_.Error(this, failure.message());
        else
            qWarning("%s", qPrintable(failure.message()));
    }
}

void MainWindow::CloseOnRequest() {
    requested_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    CloseDown(!requested_);
    event->accept();
    // Hidden dialogs and a hidden main window do not end the event loop by themselves.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
