#pragma once
// The main window: the frame around the records pane, with the menus, the status line the
// tracker writes, the tray icon, and the program's close.

#include "AppState.h"
#include "Later.h"
#include "settings/FramedGeometry.h"
#include "settings/WindowSettings.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"
#include "ui/StatusLine.h"

#include <QMainWindow>

class QMenu;
class QMenuBar;
class AboutBox;
class TariffWindow;
class ReportDialog;
class PasswordEntryDialog;
class PasswordChangeDialog;
class PollIntervalDialog;
class AccessGate;
class QDialog;
class RecordsPane;
class SessionGrid;
class TrayIcon;
class Autostart;
class SpendWatch;
class SpendWindows;

class MainWindow final : public QMainWindow, public TrackerView {
    Q_OBJECT
public:
    // The spending watch's first look, after the first paint or at the latest this long in.
    static constexpr int FirstSpendingLookMsecs = 1250;
    static const QColor Background; // sky blue, which the grid covers

    MainWindow(AppState& state, Dialogs& dialogs, WindowSettings settings,
               QWidget* parent = nullptr);
    ~MainWindow() override;
    // The other windows, created after this one in the program's fixed order.
    // Each made when first used.
    struct Windows {
        Later<ReportDialog> report{};
        Later<TariffWindow> tariffs{};
        Later<PasswordEntryDialog> passwordEntry{};
        Later<PasswordChangeDialog> passwordChange{};
        Later<PollIntervalDialog> poll{};
        Later<AboutBox> about{};
        Later<QDialog> link{}; // "Подключение..."
    };
    void SetWindows(const Windows& windows);
    AccessGate* Gate() const { return gate_.get(); }

    void ShowStatus(const QString& text) override;
    void ShowError(const QString& message) override { errors_.Show(message); }
    QString StatusText() const;

    // Menu handlers, by their entries' names.
    void ExitWithConfirmation(); // "Выход" in "Файл" and on the menu bar
    void HideWindow();
    void ShowTariffs();          // "Тариф"
    void ShowReportDialog();     // "Отчет...", and the tray's "Отчет..."
    void ToggleStartMinimised(); // "Запускать в свернутом виде"
    void ToggleStartAtLogin();   // "Запускать при входе в систему"
    void ChangePassword();       // "Установка пароля..."
    void ShowPollSettings();     // "Настройка..."
    // The tray's "Восстановить", and a second start in the same folder: the window back
    // from the tray or from behind others, in front and active.
    void BringToFront();
    void ShowTariffsFromTray(); // the tray's "Тариф...", behind the access gate as "Тариф" is
    void ChooseFormColour();
    void ChooseGridColour();
    void ChooseFont();
    void ShowAbout();
    void DeleteRecord();
    void ShowStatistics();   // "Статистика...", and the tray's
    void ShowBudgetDialog(); // "Бюджет...", behind the access gate

    SpendWatch* Spending() const { return spend_; }

    // Writes the open segment and the window settings, once, whichever way the program ends.
    void CloseDown(bool interactive);
    // Closes without asking anything, for a request from outside (a signal).
    void CloseOnRequest();

    SessionGrid* Grid() const;
    TrayIcon* Tray() const { return tray_; }
    ErrorBox& Errors() { return errors_; }
    int CountStart() const { return countStart_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void FirstSpendingLook();

private:
    void SetUp();
    Autostart LoginStart() const;
    void BuildMenus();
    void BuildColourMenu(QMenuBar* bar);
    void BuildTrayMenu();
    void BuildSpending();
    void BuildGrid();
    void LookAfterFiles();
    // Runs a guarded command behind the password: "Нет прав доступа" when a wrong text was
    // confirmed, nothing when the entry was cancelled.
    void Guarded(const std::function<void()>& command);
    PollIntervalDialog* PollDialog(); // made and tied to the options when first asked for
    WindowGeometry Geometry() const;
    // Once the window manager reports the frame, the inside is sized so that the outer
    // size is the one read at start.
    void TakeFrame();

    // First of all members: event() reads it while the members below make child widgets.
    FramedGeometry frame_;
    AppState& state_;
    Dialogs& dialogs_;
    WindowSettings settings_;
    ErrorBox errors_;
    StatusLine* status_;
    RecordsPane* records_ = nullptr; // once data.db is open
    QMenu* trayMenu_ = nullptr;
    TrayIcon* tray_ = nullptr;
    Windows windows_;
    std::unique_ptr<AccessGate> gate_;
    QAction* startMinimised_ = nullptr;
    QAction* startAtLogin_ = nullptr;
    SpendWatch* spend_ = nullptr;
    std::unique_ptr<HoldableTimer> firstLook_; // the spending's first look at the latest
    SpendWindows* spendWindows_ = nullptr;

    int countStart_ = 0;
    bool closed_ = false;
    bool requested_ = false; // closing on a request from outside: no boxes
    bool pollFieldTied_ = false;
};
