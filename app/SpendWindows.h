#pragma once
// The period's spending shown on request: "Статистика..." and "Бюджет...". Both windows are
// made when first asked for, so nothing at start-up waits for them.

#include <QObject>
#include <functional>

class AppState;
class BudgetDialog;
class QWidget;
class SpendWatch;
class StatisticsWindow;

class SpendWindows final : public QObject {
    Q_OBJECT
public:
    // `tell` shows what could not be understood in kelvora.ini after the budget was saved.
    SpendWindows(AppState& state, SpendWatch& spend, QWidget& parent,
                 std::function<void(const QString&)> tell);

    void ShowStatistics(); // the budget's period that holds today
    void ShowBudget();     // the budget in force, to change

private:
    StatisticsWindow* Statistics();
    BudgetDialog* Budget();

    AppState& state_;
    SpendWatch& spend_;
    QWidget& parent_;
    std::function<void(const QString&)> tell_;
    StatisticsWindow* statistics_ = nullptr;
    BudgetDialog* budget_ = nullptr;
};
