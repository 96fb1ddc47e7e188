#pragma once
// The modal questions the main window asks and the addresses it opens, behind one small
// interface so that tests answer them without a window or a browser.

#include <QColor>
#include <QFont>
#include <QString>
#include <QUrl>
#include <optional>

class QWidget;
class QPrinter;

struct FontChoice {
    QFont font;
    QColor color;
};

// A message's text as a box shows it: every line break one break, whether the text ends
// its lines with a line feed, a carriage return, or both in either order.
QString MessageText(const QString& text);

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain message box with one OK button, titled with the application title.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // The application's error box: error icon, application title, the message.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // "Delete record?" with OK and Cancel: true only for OK.
    virtual bool ConfirmDelete(QWidget* parent) = 0;
    // "Confirm" box, question icon: true only for "&Yes" (the default; "&No" on Escape).
    virtual bool ConfirmExit(QWidget* parent) = 0;
    virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) = 0;
    // Hands the address to the desktop's default browser or mail program; failures are quiet.
    virtual void OpenUrl(const QUrl& url) = 0;
    // File choosers: an empty text when the user cancels. `filters` as for QFileDialog; the
    // chosen filter comes back through `chosenFilter`.
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& filters,
                                 QString* chosenFilter) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& caption,
                                 const QString& filters) = 0;
    // The printer's page setup, and the choice of printer and pages before printing.
    virtual bool SetUpPrinter(QWidget* parent, QPrinter& printer) = 0;
    virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer, int pageCount) = 0;
};

class WidgetDialogs final : public Dialogs {
public:
    explicit WidgetDialogs(QString title) : title_(std::move(title)) {}
    void Message(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    bool ConfirmDelete(QWidget* parent) override;
    bool ConfirmExit(QWidget* parent) override;
    std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) override;
    void OpenUrl(const QUrl& url) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& filters,
                         QString* chosenFilter) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filters) override;
    bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer, int pageCount) override;

private:
    QString title_;
};
