// The main window's menus: the menu bar in its fixed order, and the tray icon's menu.

#include "MainWindow.h"

#include "Autostart.h"
#include "ObjectNames.h"
#include "RecordsPane.h"
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
    file->menuAction()->setObjectName(QString::fromLatin1(ObjectName::FileMenu));
    startMinimised_ = AddEntry(file, ObjectName::StartMinimisedEntry,
                               QStringLiteral("Запускать в свернутом виде"));
    startMinimised_->setCheckable(true);
    connect(startMinimised_, &QAction::triggered, this, &MainWindow::ToggleStartMinimised);
    startAtLogin_ = AddEntry(file, ObjectName::StartAtLoginEntry,
                             QStringLiteral("Запускать при входе в систему"));
    startAtLogin_->setCheckable(true);
    startAtLogin_->setChecked(LoginStart().IsOn());
    connect(startAtLogin_, &QAction::triggered, this, &MainWindow::ToggleStartAtLogin);
    connect(AddEntry(file, ObjectName::HideEntry, QStringLiteral("Скрыть окно")),
            &QAction::triggered, this, &MainWindow::HideWindow);
    AddSeparator(file, ObjectName::FileSeparator);
    QAction* tariffEntry = AddEntry(file, ObjectName::TariffEntry, QStringLiteral("Тариф"));
    tariffEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::Tariff));
    connect(tariffEntry, &QAction::triggered, this, &MainWindow::ShowTariffs);
    QAction* reportEntry = AddEntry(file, ObjectName::ReportEntry, QStringLiteral("Отчет..."));
    reportEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::Report));
    connect(reportEntry, &QAction::triggered, this, &MainWindow::ShowReportDialog);
    connect(AddEntry(file, ObjectName::StatisticsEntry, QStringLiteral("Статистика...")),
            &QAction::triggered, this, &MainWindow::ShowStatistics);
    connect(AddEntry(file, ObjectName::BudgetEntry, QStringLiteral("Бюджет...")),
            &QAction::triggered, this, &MainWindow::ShowBudgetDialog);
    connect(AddEntry(file, ObjectName::PasswordEntry, QStringLiteral("Установка пароля...")),
            &QAction::triggered, this, &MainWindow::ChangePassword);
    connect(AddEntry(file, ObjectName::PollEntry, QStringLiteral("Настройка...")),
            &QAction::triggered, this, &MainWindow::ShowPollSettings);
    connect(AddEntry(file, ObjectName::LinkEntry, QStringLiteral("Подключение...")),
            &QAction::triggered, this,
            [this] { Guarded([this] { windows_.link ? void(windows_.link->exec()) : void(); }); });
    AddSeparator(file, ObjectName::ExitSeparator);
    connect(AddEntry(file, ObjectName::FileExitEntry, QStringLiteral("Выход")), &QAction::triggered,
            this, &MainWindow::ExitWithConfirmation);

    QAction* about = bar->addAction(QStringLiteral("Обо всём"));
    about->setObjectName(QString::fromLatin1(ObjectName::AboutEntry));
    connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);

    BuildColourMenu(bar);

    QMenu* sites = bar->addMenu(QStringLiteral("Сайты"));
    sites->menuAction()->setObjectName(QString::fromLatin1(ObjectName::SitesMenu));
    for (const Site& site : Sites()) {
        const QUrl url(site.address);
        connect(AddEntry(sites, site.name, site.caption), &QAction::triggered, this,
                [this, url] { dialogs_.OpenUrl(url); });
    }

    QAction* exit = bar->addAction(QStringLiteral("Выход"));
    exit->setObjectName(QString::fromLatin1(ObjectName::BarExitEntry));
    connect(exit, &QAction::triggered, this, &MainWindow::ExitWithConfirmation);
    Keyboard::AssignAccessKeys(bar);
    new Keyboard::MenuBarKeys(bar);

    BuildTrayMenu();
}

void MainWindow::BuildColourMenu(QMenuBar* bar) {
    QMenu* colours = bar->addMenu(QStringLiteral("Изменить цвет"));
    colours->menuAction()->setObjectName(QString::fromLatin1(ObjectName::ColourMenu));
    QAction* formColourEntry =
        AddEntry(colours, ObjectName::FormColourEntry, QStringLiteral("Цвет формы"));
    formColourEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::FormColour));
    connect(formColourEntry, &QAction::triggered, this, &MainWindow::ChooseFormColour);
    QAction* gridColourEntry =
        AddEntry(colours, ObjectName::GridColourEntry, QStringLiteral("Цвет таблицы"));
    gridColourEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::TableColour));
    connect(gridColourEntry, &QAction::triggered, this, &MainWindow::ChooseGridColour);
    QAction* fontColourEntry =
        AddEntry(colours, ObjectName::FontColourEntry, QStringLiteral("Цвет шрифта"));
    fontColourEntry->setIcon(Artwork::MenuIcon(Artwork::MenuPicture::FontColour));
    connect(fontColourEntry, &QAction::triggered, this, &MainWindow::ChooseFont);
    // The grid's traffic columns: the grid comes once data.db is open, so the entry asks it
    // as the menu opens and after each change, which the grid may refuse.
    QAction* trafficEntry =
        AddEntry(colours, ObjectName::TrafficColumnsEntry, QStringLiteral("Трафик в таблице"));
    trafficEntry->setCheckable(true);
    const auto showState = [this, trafficEntry] {
        trafficEntry->setEnabled(records_ != nullptr);
        trafficEntry->setChecked(records_ && records_->TrafficColumns());
    };
    connect(colours, &QMenu::aboutToShow, this, showState);
    connect(trafficEntry, &QAction::triggered, this, [this, showState](bool on) {
        if (records_)
            records_->SetTrafficColumns(on);
        showState();
    });
}

void MainWindow::BuildTrayMenu() {
    connect(AddEntry(trayMenu_, ObjectName::TrayReportEntry, QStringLiteral("Отчет...")),
            &QAction::triggered, this, &MainWindow::ShowReportDialog);
    connect(AddEntry(trayMenu_, ObjectName::TrayStatisticsEntry, QStringLiteral("Статистика...")),
            &QAction::triggered, this, &MainWindow::ShowStatistics);
    connect(AddEntry(trayMenu_, ObjectName::TrayTariffEntry, QStringLiteral("Тариф...")),
            &QAction::triggered, this, &MainWindow::ShowTariffsFromTray);
    AddSeparator(trayMenu_, ObjectName::TraySeparator);
    connect(AddEntry(trayMenu_, ObjectName::TrayRestoreEntry, QStringLiteral("Восстановить")),
            &QAction::triggered, this, &MainWindow::BringToFront);
    connect(AddEntry(trayMenu_, ObjectName::TrayCloseEntry, QStringLiteral("Закрыть")),
            &QAction::triggered, this, [this] {
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
