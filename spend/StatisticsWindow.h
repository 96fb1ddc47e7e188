#pragma once
// "Статистика...": the billing period's money and time per day with the daily share of the
// budget, the forecast to the period's end, the last twelve periods, the traffic per day and
// per period while some day of them has it counted, a table of totals, and
// buttons to step to earlier periods. Reads the per-day totals only, so it opens at once on
// any number of records.

#include "BillingPeriod.h"
#include "Budget.h"
#include "storage/DayTotals.h"

#include <QDialog>
#include <functional>
#include <optional>

class BarChart;
class QLabel;
class QPushButton;
struct SpendFigures;

class StatisticsWindow final : public QDialog {
    Q_OBJECT
public:
    // The days from..to with records, oldest first; throws Failure.
    using DaySource = std::function<std::vector<DayTotal>(const QDate&, const QDate&)>;
    // Extra spending of today not stored yet (the connection being timed).
    using OpenSource = std::function<std::pair<qint64, double>()>;

    // The bytes of the connection being timed, none while they are not counted.
    using OpenTrafficSource = std::function<std::optional<Traffic>()>;

    StatisticsWindow(DaySource days, OpenSource open, QWidget* parent = nullptr);
    void SetOpenTraffic(OpenTrafficSource openTraffic) { openTraffic_ = std::move(openTraffic); }

    // Shows the period that holds `today` for this budget.
    void ShowPeriod(const Budget& budget, const QDate& today);
    const BillingPeriod& Period() const { return period_; }
    QString TotalsText() const;
    void StepBack();
    void StepForward();

private:
    static constexpr int WideWidth = 1000; // with the traffic's column beside
    void Fill();
    // Today's connection being timed added to today's day.
    void AddOpen(std::vector<DayTotal>& all) const;
    // The traffic charts, shown only when some day of the twelve periods has traffic.
    void FillTraffic(const std::vector<DayTotal>& all, const BillingPeriod& oldest,
                     const QStringList& labels, const SpendFigures& f);

    DaySource days_;
    OpenSource open_;
    OpenTrafficSource openTraffic_;
    Budget budget_;
    QDate today_;
    BillingPeriod period_;
    BarChart* money_;
    BarChart* time_;
    BarChart* periods_;
    BarChart* traffic_;
    BarChart* trafficPeriods_;
    QLabel* caption_;
    QLabel* totals_;
    QPushButton* earlier_;
    QPushButton* later_;
};
