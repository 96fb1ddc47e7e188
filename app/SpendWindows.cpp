#include "SpendWindows.h"

#include "AppState.h"
#include "SpendWatch.h"
#include "spend/BudgetDialog.h"
#include "spend/StatisticsWindow.h"
#include "storage/Failure.h"

SpendWindows::SpendWindows(AppState& state, SpendWatch& spend, QWidget& parent,
                           std::function<void(const QString&)> tell)
    : QObject(&parent), state_(state), spend_(spend), parent_(parent), tell_(std::move(tell)) {}

StatisticsWindow* SpendWindows::Statistics() {
    if (statistics_)
        return statistics_;
    statistics_ = new StatisticsWindow(
        [this](const QDate& from, const QDate& to) {
            if (!state_.Sessions())
                throw Failure(QStringLiteral("Файл data.db не открыт."));
            return state_.Sessions()->DayTotalsIn(from, to);
        },
        [this]() -> std::pair<qint64, double> {
            const auto open = state_.OpenSegmentAt(state_.TheClock().Now());
            return open ? std::pair{open->seconds, open->money} : std::pair<qint64, double>{0, 0};
        },
        &parent_);
    statistics_->SetOpenTraffic([this] { return state_.OpenTrafficAt(); });
    return statistics_;
}

BudgetDialog* SpendWindows::Budget() {
    if (budget_)
        return budget_;
    budget_ = new BudgetDialog(
        [this](const ::Budget& budget) -> std::optional<QString> {
            if (auto trouble = SaveBudget(spend_.Settings(), budget))
                return trouble;
            for (const QString& problem : spend_.Reload())
                tell_(problem);
            state_.UpdateTrafficCounting(); // a traffic budget asks for the traffic
            return std::nullopt;
        },
        &parent_);
    return budget_;
}

void SpendWindows::ShowStatistics() {
    Statistics()->ShowPeriod(spend_.CurrentBudget(), state_.TheClock().Now().date);
    Statistics()->exec();
}

void SpendWindows::ShowBudget() {
    Budget()->FillFields(spend_.CurrentBudget());
    Budget()->exec();
}
