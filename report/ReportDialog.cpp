#include "ReportDialog.h"

#include "PreviewWindow.h"
#include "ReportDocument.h"
#include "TrafficColumns.h"
#include "storage/Failure.h"
#include "storage/SessionTable.h"
#include "ui/Artwork.h"
#include "ui/Centred.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"
#include "ui/UiFonts.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

namespace {
QDateEdit* Picker(QWidget* parent, const char* name, const QRect& geometry) {
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setCalendarPopup(true);
    picker->setLocale(QLocale(QLocale::Russian, QLocale::Russia)); // the calendar's names
    picker->setGeometry(geometry);
    return picker;
}

QLabel* Label(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}
} // namespace

ReportDialog::ReportDialog(ReportForm& form, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), form_(form), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Отчёт"));
    setWindowIcon(Artwork::MenuIcon(Artwork::MenuPicture::Report));
    setFixedSize(268, 79);
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    // The labels' window-coloured text on the caption gradient, readable in any scheme.
    Contrast::FixColours(this, Contrast::FormColour, Qt::white);

    Label(this, QStringLiteral("Показать с"), {8, 14, 62, 16});
    from_ = Picker(this, "DateTimePicker1", {68, 10, 88, 23});
    Label(this, QStringLiteral("по"), {162, 14, 16, 16});
    to_ = Picker(this, "DateTimePicker2", {176, 10, 88, 23});
    auto* show = new QPushButton(QStringLiteral("Показать"), this);
    show->setObjectName(QStringLiteral("Button1"));
    show->setGeometry(185, 46, 75, 25);
    show->setAutoDefault(false);
    connect(show, &QPushButton::clicked, this, &ReportDialog::ShowReport);
    from_->setAccessibleName(QStringLiteral("Показать с"));
    from_->setAccessibleDescription(QStringLiteral("Первая дата отчёта"));
    to_->setAccessibleName(QStringLiteral("по"));
    to_->setAccessibleDescription(QStringLiteral("Последняя дата отчёта"));
    Keyboard::AssignAccessKeys(this);
}

void ReportDialog::ShowReport() {
    if (!table_) {
        dialogs_.Error(this, QStringLiteral("Таблица записей не открыта: отчёт составить нельзя."));
        return;
    }
    try {
        table_->SetDateFilter(from_->date(), to_->date());
        // A fixed range: records written while the preview is open stay out of this report.
        const SessionRange range = table_->CurrentRange();
        // The traffic as the grid shows it: kelvora.ini beside data.db says.
        const bool traffic = TrafficColumnsOn(QFileInfo(table_->FilePath()).absolutePath());
        form_.summary = [&] {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor); // the totals read every record
            const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
            return ReportSummary(*table_, range, traffic);
        }();
        ReportDocument report(*table_, range, form_.summary);
        PreviewWindow preview(&report, dialogs_, this);
        if (run_)
            run_(preview);
        else
            preview.exec();
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message()); // the filter stays until the dialog closes
    }
}

void ReportDialog::ClearFilter() {
    if (table_)
        table_->ClearDateFilter();
}

void ReportDialog::done(int result) {
    ClearFilter();
    QDialog::done(result);
}

void ReportDialog::closeEvent(QCloseEvent* event) {
    ClearFilter();
    QDialog::closeEvent(event);
}

void ReportDialog::showEvent(QShowEvent* event) {
    CentreOnScreen(this);
    QDialog::showEvent(event);
}
