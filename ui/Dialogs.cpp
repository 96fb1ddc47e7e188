#include "Dialogs.h"

#include "FontChoiceDialog.h"
#include "Printing.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>

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

void WidgetDialogs::OpenUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

namespace {
// Icons and type names from the file's name alone. Qt's own provider asks the MIME database,
// which opens a file whose name says too little (data.db, its -wal and -shm) to read its
// first bytes; on Linux closing any descriptor of a file drops every lock the process holds
// on it, and SQLite's locks on the data files must stay while the program runs.
class NameOnlyIcons final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override {
        return QApplication::style()->standardIcon(
            type == Folder || type == Drive ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    }
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override {
        if (info.isDir())
            return QStringLiteral("Папка");
        return info.suffix().isEmpty() ? QStringLiteral("Файл")
                                       : QStringLiteral("Файл %1").arg(info.suffix().toUpper());
    }
};

// The user's documents (or home) folder: never the data folder the program runs in, whose
// files only SQLite may open.
QString StartFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Qt's own dialog, in this process, so that nothing but the names of the files it lists is
// looked at: a desktop's dialog brought into the process may read them.
QString ChooseFile(QWidget* parent, const QString& caption, const QString& filters,
                   QString* chosenFilter, QFileDialog::AcceptMode mode) {
    NameOnlyIcons icons;
    QFileDialog dialog(parent, caption, StartFolder(), filters);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontResolveSymlinks |
                      QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString WidgetDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& filters,
                                    QString* chosenFilter) {
    return ChooseFile(parent, caption, filters, chosenFilter, QFileDialog::AcceptSave);
}

QString WidgetDialogs::OpenFileName(QWidget* parent, const QString& caption,
                                    const QString& filters) {
    return ChooseFile(parent, caption, filters, nullptr, QFileDialog::AcceptOpen);
}

bool WidgetDialogs::SetUpPrinter(QWidget* parent, QPrinter& printer) {
    return Printing::Module().setUp(parent, printer);
}

bool WidgetDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer, int pageCount) {
    return Printing::Module().choose(parent, printer, pageCount);
}
