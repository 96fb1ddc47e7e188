// The main window's menus: the menu bar in its fixed order, and the tray icon's menu.

#include "MainWindow.h"

#include "Autostart.h"
#include "Sites.h"
#include "TrayIcon.h"
#include "ui/Artwork.h"
#include "ui/Contrast.h"
#include "ui/Keyboard.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

namespace {
QAction* AddEntry(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}
void AddSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}
} // namespace

void MainWindow::BuildMenus() {
    QMenuBar* bar = menuBar();
    // The bar shows the window's sky blue behind its entries: their text is fixed with it.
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::ButtonText, Contrast::ReadableOn(Background, Qt::black));
    bar->setPalette(barPalette);
    QMenu* file = bar->addMenu(QStringLiteral("Файл"));
    file->menuAction()->setObjectName(QStringLiteral("N1"));
    startMinimised_ = AddEntry(file, "N9", QStringLiteral("Запускать в свернутом виде"));
    startMinimised_->setCheckable(true);
    connect(startMinimised_, &QAction::triggered, this, &MainWindow::ToggleStartMinimised);
    startAtLogin_ = AddEntry(file, "Autostart1", QStringLiteral("Запускать при входе в систему"));
    startAtLogin_->setCheckable(true);
    startAtLogin_->setChecked(LoginStart().IsOn());
    connect(startAtLogin_, &QAction::triggered, this, &MainWindow::ToggleStartAtLogin);
    connect(AddEntry(file, "N15", QStringLiteral("Скрыть окно")), &QAction::triggered, this,
            &MainWindow::HideWindow);
    AddSeparator(file, "N11");
    QAction* tariffEntry = AddEntry(file, "N2", QStringLiteral("Тариф"));
    tariffEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::Tariff));
    connect(tariffEntry, &QAction::triggered, this, &MainWindow::ShowTariffs);
    QAction* reportEntry = AddEntry(file, "N5", QStringLiteral("Отчет..."));
    reportEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::Report));
    connect(reportEntry, &QAction::triggered, this, &MainWindow::ShowReportDialog);
    connect(AddEntry(file, "Statistics1", QStringLiteral("Статистика...")), &QAction::triggered,
            this, &MainWindow::ShowStatistics);
    connect(AddEntry(file, "Budget1", QStringLiteral("Бюджет...")), &QAction::triggered, this,
            &MainWindow::ShowBudgetDialog);
    connect(AddEntry(file, "N13", QStringLiteral("Установка пароля...")), &QAction::triggered,
            this, &MainWindow::ChangePassword);
    connect(AddEntry(file, "N14", QStringLiteral("Настройка...")), &QAction::triggered, this,
            &MainWindow::ShowPollSettings);
    connect(AddEntry(file, "N23", QStringLiteral("Подключение...")), &QAction::triggered, this,
            [this] { Guarded([this] { windows_.link ? void(windows_.link->exec()) : void(); }); });
    AddSeparator(file, "N12");
    connect(AddEntry(file, "N7", QStringLiteral("Выход")), &QAction::triggered, this,
            &MainWindow::ExitWithConfirmation);

    QAction* about = bar->addAction(QStringLiteral("Обо всём"));
    about->setObjectName(QStringLiteral("About1"));
    connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);

    QMenu* colours = bar->addMenu(QStringLiteral("Изменить цвет"));
    colours->menuAction()->setObjectName(QStringLiteral("N17"));
    QAction* formColourEntry = AddEntry(colours, "N19", QStringLiteral("Цвет формы"));
    formColourEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::FormColour));
    connect(formColourEntry, &QAction::triggered, this, &MainWindow::ChooseFormColour);
    QAction* gridColourEntry = AddEntry(colours, "N20", QStringLiteral("Цвет таблицы"));
    gridColourEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::TableColour));
    connect(gridColourEntry, &QAction::triggered, this, &MainWindow::ChooseGridColour);
    QAction* fontColourEntry = AddEntry(colours, "N21", QStringLiteral("Цвет шрифта"));
    fontColourEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::FontColour));
    connect(fontColourEntry, &QAction::triggered, this, &MainWindow::ChooseFont);

    QMenu* sites = bar->addMenu(QStringLiteral("Сайты"));
    sites->menuAction()->setObjectName(QStringLiteral("N18"));
    for (const Site& site : Sites()) {
        const QUrl url(site.address);
        connect(AddEntry(sites, site.name, site.caption), &QAction::triggered, this,
                [this, url] { dialogs_.OpenUrl(url); });
    }

    QAction* exit = bar->addAction(QStringLiteral("Выход"));
    exit->setObjectName(QStringLiteral("N22"));
    connect(exit, &QAction::triggered, this, &MainWindow::ExitWithConfirmation);
    Keyboard::AssignAccessKeys(bar);
    new Keyboard::MenuBarKeys(bar);

    connect(AddEntry(trayMenu_, "N10", QStringLiteral("Отчет...")), &QAction::triggered, this,
            &MainWindow::ShowReportDialog);
    connect(AddEntry(trayMenu_, "Statistics2", QStringLiteral("Статистика...")),
            &QAction::triggered, this, &MainWindow::ShowStatistics);
    connect(AddEntry(trayMenu_, "N8", QStringLiteral("Тариф...")), &QAction::triggered, this,
            &MainWindow::ShowTariffsFromTray);
    AddSeparator(trayMenu_, "N6");
    connect(AddEntry(trayMenu_, "N3", QStringLiteral("Восстановить")), &QAction::triggered, this,
            &MainWindow::BringToFront);
    connect(AddEntry(trayMenu_, "N4", QStringLiteral("Закрыть")), &QAction::triggered, this,
            [this] {
                tray_->DeleteTrayIcon();
                close();
            });
}

void MainWindow::BringToFront() {
    if (tray_->IconShown() || !isVisible()) {
        tray_->DeleteTrayIcon();
        tray_->RestoreMainWindow();
        return;
    }
    // On the screen already, minimised or behind others: where it is.
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}
