#pragma once
// Hiding the main window to an icon in the notification area and bringing it back. Where
// the desktop has no tray, hiding minimises instead, so the window is never out of reach.

#include <QObject>
#include <QRect>
#include <QTimer>

class QMainWindow;
class QMenu;
class QAction;
class QSystemTrayIcon;

class TrayIcon final : public QObject {
    Q_OBJECT
public:
    // The mouse actions the icon reports.
    enum class Mouse { LeftUp, RightUp, LeftDoubleClick, Other };

    TrayIcon(QMainWindow* window, QMenu* menu);

    // "Скрыть окно" and the start-minimised option.
    void HideToTray();
    void HideMainWindow();
    void AddTrayIcon();
    void DeleteTrayIcon();
    void RestoreMainWindow();
    void PopupTrayMenu();
    void TrayIconNotify(Mouse mouse);

    bool IconShown() const;
    // Whether the desktop offers a tray; tests set it.
    bool Available() const { return available_; }
    void SetAvailable(bool available) { available_ = available; }
    QMenu* Menu() const { return menu_; }

signals:
    void MenuShown(); // the tray menu popped up

private:
    QMainWindow* window_;
    QMenu* menu_;
    QSystemTrayIcon* icon_;
    QTimer singleClick_; // a left click waits to see whether it becomes a double-click
    QRect geometry_;     // where the window was before it was hidden
    bool available_;
};
