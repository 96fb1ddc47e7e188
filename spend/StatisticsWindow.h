#pragma once
// "Статистика...": the billing period's money and time per day with the daily share of the
// budget, the forecast to the period's end, the last twelve periods, a table of totals, and
// buttons to step to earlier periods. Reads the per-day totals only, so it opens at once on
// any number of records.

#include "BillingPeriod.h"
#include "Budget.h"
#include "storage/DayTotals.h"

#include <QDialog>
#include <functional>

class BarChart;
class QLabel;
class QPushButton;

class StatisticsWindow final : public QDialog {
    Q_OBJECT
public:
    // The days from..to with records, oldest first; throws Failure.
    using DaySource = std::function<std::vector<DayTotal>(const QDate&, const QDate&)>;
    // Extra spending of today not stored yet (the connection being timed).
    using OpenSource = std::function<std::pair<qint64, double>()>;

    StatisticsWindow(DaySource days, OpenSource open, QWidget* parent = nullptr);

    // Shows the period that holds `today` for this budget.
    void ShowPeriod(const Budget& budget, const QDate& today);
    const BillingPeriod& Period() const { return period_; }
    QString TotalsText() const;
    void StepBack();
    void StepForward();

private:
    void Fill();

    DaySource days_;
    OpenSource open_;
    Budget budget_;
    QDate today_;
    BillingPeriod period_;
    BarChart* money_;
    BarChart* time_;
    BarChart* periods_;
    QLabel* caption_;
    QLabel* totals_;
    QPushButton* earlier_;
    QPushButton* later_;
};
