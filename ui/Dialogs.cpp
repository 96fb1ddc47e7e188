#include "Dialogs.h"

#include "FontChoiceDialog.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QMessageBox>
#include <QPushButton>

QString MessageText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void WidgetDialogs::Message(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, title_, MessageText(text));
}

void WidgetDialogs::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, title_, MessageText(text));
}

bool WidgetDialogs::ConfirmDelete(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Delete record?"), QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

bool WidgetDialogs::ConfirmExit(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Вы действительно хотите выйти из программы?"),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<QColor> WidgetDialogs::ChooseColor(QWidget* parent, const QColor& initial) {
    const QColor color = QColorDialog::getColor(initial, parent);
    return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

std::optional<FontChoice> WidgetDialogs::ChooseFont(QWidget* parent, const FontChoice& initial) {
    FontChoiceDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choice();
}

void WidgetDialogs::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

QString WidgetDialogs::SaveFileName(QWidget* parent, const QString& caption,
                                    const QString& filters, QString* chosenFilter) {
    return QFileDialog::getSaveFileName(parent, caption, {}, filters, chosenFilter);
}

QString WidgetDialogs::OpenFileName(QWidget* parent, const QString& caption,
                                    const QString& filters) {
    return QFileDialog::getOpenFileName(parent, caption, {}, filters);
}

bool WidgetDialogs::SetUpPrinter(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer, int pageCount) {
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, pageCount));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}
