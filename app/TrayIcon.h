#pragma once
// Hiding the main window to an icon in the notification area and bringing it back. Where
// the desktop has no tray, hiding minimises instead, so the window is never out of reach.
// The tray host may come and go while the program runs (a panel started late, restarted or
// closed): while it matters, the icon follows it, and a hidden window whose tray is gone
// comes back on the screen.

#include "accounting/QtTimer.h"
#include <QObject>
#include <QRect>

#include <QTimer>
#include <functional>
#include <memory>

class QMainWindow;
class QMenu;
class QAction;
class QSystemTrayIcon;

class TrayIcon final : public QObject {
    Q_OBJECT
public:
    // The mouse actions the icon reports.
    enum class Mouse { LeftUp, RightUp, LeftDoubleClick, Other };

    TrayIcon(QMainWindow* window, QMenu* menu, TimerMaker& timers = QtTimers());
    ~TrayIcon() override;

    // "Скрыть окно" and the start-minimised option.
    void HideToTray();
    void HideMainWindow();
    void AddTrayIcon();
    void DeleteTrayIcon();
    void RestoreMainWindow();
    void PopupTrayMenu();
    void TrayIconNotify(Mouse mouse);

    bool IconShown() const;
    // Whether the desktop offers a tray now.
    bool Available() const { return available_(); }
    // Where that answer comes from; tests put their own.
    void SetAvailability(std::function<bool()> available) { available_ = std::move(available); }
    void SetAvailable(bool available) {
        SetAvailability([available] { return available; });
    }
    // Looks at the tray host again and follows it: run by the watch while the window is
    // hidden to the tray or was minimised for want of one.
    void FollowTray();
    bool Watching() const { return watch_->IsEnabled(); }
    static constexpr int WatchMsecs = 2000;
    QMenu* Menu() const { return menu_; }
    // The tip's text; the spending watch keeps it live.
    void SetToolTip(const QString& tip);
    QString ToolTip() const;
    // A message at the icon, for when the desktop shows no notifications of its own. Where
    // the icon is not shown, it shows for the message's time; the message waits until the
    // tray has given the icon its place (at most PlaceWaitMsecs), so that it points there
    // and not at a corner of the screen.
    void ShowMessage(const QString& title, const QString& text);
    static constexpr int PlaceWaitMsecs = 2000;

signals:
    void MenuShown(); // the tray menu popped up

private:
    void ShowWhenPlaced();
    void WatchAfresh();

    QMainWindow* window_;
    QMenu* menu_;
    QSystemTrayIcon* icon_;
    QTimer singleClick_; // a left click waits to see whether it becomes a double-click
    std::unique_ptr<HoldableTimer> watch_; // looks at the tray host while it matters
    QTimer messageEnd_;                    // hides an icon shown only for a message
    QTimer placed_;                        // looks whether the icon has its place in the tray yet
    int placeLooks_ = 0;
    QString title_, text_; // the message waiting for that place
    QRect geometry_;       // where the window was before it was hidden
    std::function<bool()> available_;
    bool hidden_ = false;           // hidden to the tray, the icon shown
    bool minimisedInstead_ = false; // asked to hide while there was no tray
};
