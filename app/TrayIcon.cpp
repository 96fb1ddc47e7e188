#include "TrayIcon.h"

#include "ui/Artwork.h"
#include "ui/Keyboard.h"

#include <QApplication>
#include <QCursor>
#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {
constexpr int ShownMsecs = 10'000;
constexpr int PlaceLookMsecs = 50;
} // namespace

TrayIcon::TrayIcon(QMainWindow* window, QMenu* menu, TimerMaker& timers)
    : QObject(window), window_(window), menu_(menu), icon_(new QSystemTrayIcon(this)),
      watch_(timers.Make(WatchMsecs, [this] { FollowTray(); })),
      available_(&QSystemTrayIcon::isSystemTrayAvailable) {
    icon_->setIcon(Artwork::ApplicationIcon());
    icon_->setToolTip(QStringLiteral("Учет работы в Интернет"));
    singleClick_.setSingleShot(true);
    singleClick_.setInterval(QApplication::doubleClickInterval());
    connect(&singleClick_, &QTimer::timeout, this, &TrayIcon::PopupTrayMenu);
    messageEnd_.setSingleShot(true);
    connect(&messageEnd_, &QTimer::timeout, this, [this] {
        if (!hidden_)
            icon_->hide();
    });
    placed_.setInterval(PlaceLookMsecs);
    connect(&placed_, &QTimer::timeout, this, &TrayIcon::ShowWhenPlaced);
    // Marked when first shown, once every entry is in: none is left without a key.
    connect(menu_, &QMenu::aboutToShow, this, [this] { Keyboard::AssignAccessKeys(menu_); });
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        TrayIconNotify(r == QSystemTrayIcon::Trigger       ? Mouse::LeftUp
                       : r == QSystemTrayIcon::Context     ? Mouse::RightUp
                       : r == QSystemTrayIcon::DoubleClick ? Mouse::LeftDoubleClick
                                                           : Mouse::Other);
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::WatchAfresh() {
    watch_->Disable(); // a timer enabled again starts its interval afresh
    watch_->Enable();
}

void TrayIcon::HideToTray() {
    // Asked afresh each time: a tray host started after the program counts.
    if (!Available()) {
        window_->showMinimized();
        minimisedInstead_ = true;
        WatchAfresh();
        return;
    }
    HideMainWindow();
    AddTrayIcon();
}

void TrayIcon::HideMainWindow() {
    if (window_->isVisible())
        geometry_ = window_->geometry();
    window_->hide(); // the taskbar entry goes with it
}

void TrayIcon::AddTrayIcon() {
    icon_->show();
    hidden_ = true;
    minimisedInstead_ = false;
    WatchAfresh();
}

void TrayIcon::DeleteTrayIcon() {
    singleClick_.stop();
    icon_->hide();
    hidden_ = false;
    if (!minimisedInstead_)
        watch_->Disable();
}

void TrayIcon::RestoreMainWindow() {
    window_->showNormal();
    if (geometry_.isValid())
        window_->setGeometry(geometry_);
    window_->raise();
    window_->activateWindow();
}

void TrayIcon::FollowTray() {
    if (minimisedInstead_ && !window_->isMinimized()) {
        minimisedInstead_ = false; // the user brought the window back meanwhile
    } else if (minimisedInstead_ && Available()) {
        // The tray host came after all: the window goes where it was asked to go.
        minimisedInstead_ = false;
        geometry_ = window_->normalGeometry();
        window_->hide();
        AddTrayIcon();
    } else if (hidden_ && !window_->isVisible() && !Available()) {
        // The tray host went away with the icon: nothing would bring the window back.
        DeleteTrayIcon();
        RestoreMainWindow();
    }
    if (!hidden_ && !minimisedInstead_)
        watch_->Disable();
}

void TrayIcon::PopupTrayMenu() {
    emit MenuShown();
    menu_->popup(QCursor::pos());
}

void TrayIcon::TrayIconNotify(Mouse mouse) {
    switch (mouse) {
    case Mouse::LeftUp:
        singleClick_.start();
        break;
    case Mouse::RightUp:
        PopupTrayMenu();
        break;
    case Mouse::LeftDoubleClick:
        singleClick_.stop();
        DeleteTrayIcon();
        RestoreMainWindow();
        break;
    case Mouse::Other:
        break;
    }
}

bool TrayIcon::IconShown() const {
    return icon_->isVisible();
}

void TrayIcon::SetToolTip(const QString& tip) {
    if (icon_->toolTip() != tip)
        icon_->setToolTip(tip);
}

QString TrayIcon::ToolTip() const {
    return icon_->toolTip();
}

void TrayIcon::ShowMessage(const QString& title, const QString& text) {
    if (!Available())
        return;
    if (!icon_->isVisible()) {
        icon_->show();
        messageEnd_.start(ShownMsecs + PlaceWaitMsecs + 1000);
    }
    title_ = title;
    text_ = text;
    placeLooks_ = 0;
    ShowWhenPlaced();
}

void TrayIcon::ShowWhenPlaced() {
    // Until the tray takes it in, the icon is a window of its own at the screen's corner.
    const QRect place = icon_->geometry();
    const bool placed = !place.isEmpty() && place.topLeft() != QPoint(0, 0);
    if (!placed && placeLooks_++ < PlaceWaitMsecs / PlaceLookMsecs) {
        placed_.start();
        return;
    }
    placed_.stop();
    icon_->showMessage(title_, text_, QSystemTrayIcon::Information, ShownMsecs);
}
