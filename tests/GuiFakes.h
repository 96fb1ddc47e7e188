#pragma once
// Answers for the main window's modal questions, recorded for the test to look at.

#include "ui/Dialogs.h"

#include <QList>
#include <functional>
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
    QString SaveFileName(QWidget*, const QString&, const QString& filters,
                         QString* chosenFilter) override {
        if (chosenFilter)
            *chosenFilter = saveFilter.isEmpty() ? filters.split(";;").front() : saveFilter;
        return saveAnswer;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&) override { return openAnswer; }
    bool SetUpPrinter(QWidget*, QPrinter&) override { return false; }
    bool ChoosePrinter(QWidget*, QPrinter& printer, int) override {
        if (printerSetup)
            printerSetup(printer);
        return bool(printerSetup);
    }

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
    QString saveAnswer;
    QString saveFilter;
    QString openAnswer;
    std::function<void(QPrinter&)> printerSetup; // none: the user cancels
};
