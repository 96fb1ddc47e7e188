#pragma once
// The modal questions the main window asks and the addresses it opens, behind one small
// interface so that tests answer them without a window or a browser.

#include <QColor>
#include <QFont>
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
    // "Confirm" box, question icon: true only for "&Yes" (the default; "&No" on Escape).
    virtual bool ConfirmExit(QWidget* parent) = 0;
    virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) = 0;
    // Hands the address to the desktop's default browser or mail program; failures are quiet.
    virtual void OpenUrl(const QUrl& url) = 0;
};

class WidgetDialogs final : public Dialogs {
public:
    bool ConfirmExit(QWidget* parent) override;
    std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) override;
    void OpenUrl(const QUrl& url) override;
};
