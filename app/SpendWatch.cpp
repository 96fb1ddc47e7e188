#include "SpendWatch.h"

#include "AppState.h"
#include "TrayIcon.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

SpendWatch::SpendWatch(AppState& state, TrayIcon& tray, QObject* parent)
    : QObject(parent), state_(state), tray_(tray), settings_(state.dataDirectory),
      alerts_((settings_.Load(), settings_)),
      notifier_(
          [this](const QString& title, const QString& text) { tray_.ShowMessage(title, text); }) {
    budget_ = ReadBudget(settings_).budget;
}

QStringList SpendWatch::Reload() {
    QStringList problems;
    if (const auto problem = settings_.Load())
        problems << *problem;
    const BudgetRead read = ReadBudget(settings_);
    budget_ = read.budget;
    problems << read.problems;
    Look();
    return problems;
}

void SpendWatch::Look() {
    stored_.reset();
    LookAgain();
}

void SpendWatch::LookAgain() {
    if (!state_.sessions)
        return;
    const LocalMoment now = state_.clock.Now();
    const BillingPeriod period = BillingPeriod::Containing(now.date, budget_.startDay);
    if (!stored_ || !(stored_->first == period)) {
        try {
            stored_.emplace(period,
                            SpendTotal::Of(state_.sessions->DayTotalsIn(period.first, period.last)));
        } catch (const Failure&) {
            stored_.reset();
            return; // the tracker's own write or read tells what is wrong with the file
        }
    }
    Show(now, period, stored_->second);
}

void SpendWatch::Show(const LocalMoment& now, const BillingPeriod& period,
                      const SpendTotal& stored) {
    std::optional<OpenCharge> open;
    if (state_.tracker && state_.tracker->SegmentOpen())
        open = OpenSoFar(state_.tracker->StartDate(), state_.tracker->StartTime(),
                         state_.tracker->CurrentRate(), now.date, now.msecs);
    const SpendFigures figures =
        SpendFigures::Of(WithOpen(stored, open), period, budget_, now.date);
    // The tip's connection is the whole of it, as the status line counts it: the pieces
    // already stored at a tariff change or midnight, and the one still open.
    std::optional<OpenCharge> connection = open;
    if (connection) {
        const ConnectionSoFar& before = state_.tracker->SoFar();
        connection->seconds += before.seconds;
        connection->money += double(TextForms::TryParseNumber(before.charges).value_or(0));
    }
    tip_ = TrayTip(connection, figures);
    tray_.SetToolTip(tip_);
    for (const BudgetAlert& alert :
         alerts_.Passed(period, double(figures.total.money), figures.total.seconds, budget_))
        // Each new alert of the period's money (or time) takes the place of the last one.
        notifier_.Notify(alert.title, alert.text,
                         period.first.toString(Qt::ISODate) +
                             (alert.kind == BudgetAlert::Kind::Money ? QStringLiteral(" money")
                                                                     : QStringLiteral(" time")),
                         alert.used >= 100);
}
