#pragma once
// The modal questions the main window asks and the addresses it opens, behind one small
// interface so that tests answer them without a window or a browser.

#include <QColor>
#include <QFont>
#include <QString>
#include <QUrl>
#include <optional>

class QWidget;

struct FontChoice {
    QFont font;
    QColor color;
};

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

private:
    QString title_;
};
