#pragma once
// Answers for the main window's modal questions, recorded for the test to look at.

#include "ui/Dialogs.h"

#include <QList>

class FakeDialogs final : public Dialogs {
public:
    bool ConfirmExit(QWidget*) override {
        ++confirmations;
        return confirmAnswer;
    }
    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override {
        colorInitials << initial;
        return colorAnswer;
    }
    std::optional<FontChoice> ChooseFont(QWidget*, const FontChoice& initial) override {
        fontInitials << initial;
        return fontAnswer;
    }
    void OpenUrl(const QUrl& url) override { opened << url; }

    bool confirmAnswer = false;
    int confirmations = 0;
    std::optional<QColor> colorAnswer;
    QList<QColor> colorInitials;
    std::optional<FontChoice> fontAnswer;
    QList<FontChoice> fontInitials;
    QList<QUrl> opened;
};
