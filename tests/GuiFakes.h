#pragma once
// Answers for the main window's modal questions, recorded for the test to look at, and
// timers that fire when the test says time passed.

#include "accounting/QtTimer.h"
#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <vector>

// Every timer made is kept in order; Fire runs a handler now, Pass lets time go by.
class FakeTimers final : public TimerMaker {
public:
    class Made final : public HoldableTimer {
    public:
        Made(int msecs, std::function<void()> handler, std::function<void(int)> caughtUp)
            : handler(std::move(handler)), caughtUp(std::move(caughtUp)), madeWith(msecs),
              interval(msecs) {}
        void Enable() override {
            if (!enabled)
                passed = 0;
            enabled = true;
        }
        void Disable() override { enabled = false; }
        bool IsEnabled() const override { return enabled; }
        void SetInterval(int msecs) override {
            interval = msecs;
            passed = 0;
        }
        int Interval() const override { return interval; }
        void SetHeld(bool on) override {
            held = on;
            if (on || !enabled || interval <= 0 || passed < interval)
                return;
            const int missed = passed / interval;
            passed %= interval;
            caughtUp ? caughtUp(missed) : handler();
        }
        bool Held() const override { return held; }
        void Fire() { handler(); }
        // `msecs` go by: an enabled timer not held fires at each whole interval.
        void Pass(int msecs) {
            if (!enabled || interval <= 0)
                return;
            passed += msecs;
            while (!held && enabled && passed >= interval) {
                passed -= interval;
                handler();
            }
        }

        std::function<void()> handler;
        std::function<void(int)> caughtUp;
        const int madeWith;
        int interval;
        int passed = 0;
        bool enabled = false;
        bool held = false;
    };

    std::unique_ptr<HoldableTimer> Make(int msecs, std::function<void()> handler,
                                        std::function<void(int)> caughtUp) override {
        auto timer = std::make_unique<Made>(msecs, std::move(handler), std::move(caughtUp));
        made.push_back(timer.get());
        return timer;
    }
    // The first timer made with an interval of `msecs`.
    Made& Of(int msecs) const {
        for (Made* timer : made)
            if (timer->madeWith == msecs)
                return *timer;
        qFatal("no timer of %d ms", msecs);
    }

    std::vector<Made*> made;
};

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
