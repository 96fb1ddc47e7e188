#pragma once
// Answers for the main window's modal questions, recorded for the test to look at.

#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>

class FakeDialogs final : public Dialogs {
public:
    void Message(QWidget*, const QString& text) override { messages << text; }
    void Error(QWidget*, const QString& text) override { errors << text; }
    bool ConfirmDelete(QWidget*) override {
        ++deleteQuestions;
        return deleteAnswer;
    }
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

    QStringList messages;
    QStringList errors;
    bool deleteAnswer = false;
    int deleteQuestions = 0;
    bool confirmAnswer = false;
    int confirmations = 0;
    std::optional<QColor> colorAnswer;
    QList<QColor> colorInitials;
    std::optional<FontChoice> fontAnswer;
    QList<FontChoice> fontInitials;
    QList<QUrl> opened;
};
