#include "SpendWatch.h"

#include "AppState.h"
#include "TrayIcon.h"
#include "storage/Failure.h"

namespace {
QString AlertTag(BudgetAlert::Kind kind) {
    switch (kind) {
    case BudgetAlert::Kind::Money:
        return QStringLiteral(" money");
    case BudgetAlert::Kind::Time:
        return QStringLiteral(" time");
    case BudgetAlert::Kind::Traffic:
        return QStringLiteral(" traffic");
    }
    return {};
}
} // namespace

SpendWatch::SpendWatch(AppState& state, TrayIcon& tray, QObject* parent)
    : QObject(parent), state_(state), tray_(tray), settings_(state.DataDirectory()),
      alerts_((settings_.Load(), settings_)),
      notifier_(
          [this](const QString& title, const QString& text) { tray_.ShowMessage(title, text); }) {
    budget_ = ReadBudget(settings_).budget;
    connect(&state_, &AppState::Written, this, &SpendWatch::RereadAndUpdate);
    connect(&state_, &AppState::Kept, this, &SpendWatch::Update);
    reread_ = state_.Timers().Make(RereadMsecs, [this] { RereadAndUpdate(); });
    reread_->Enable();
}

SpendWatch::~SpendWatch() = default;

QStringList SpendWatch::Reload() {
    QStringList problems;
    if (const auto problem = settings_.Load())
        problems << *problem;
    const BudgetRead read = ReadBudget(settings_);
    budget_ = read.budget;
    problems << read.problems;
    RereadAndUpdate();
    return problems;
}

void SpendWatch::RereadAndUpdate() {
    stored_.reset();
    Update();
}

void SpendWatch::Update() {
    if (!state_.Sessions())
        return;
    const LocalMoment now = state_.TheClock().Now();
    const BillingPeriod period = BillingPeriod::Containing(now.date, budget_.startDay);
    if (!stored_ || !(stored_->first == period)) {
        try {
            stored_.emplace(
                period, SpendTotal::Of(state_.Sessions()->DayTotalsIn(period.first, period.last)));
        } catch (const Failure&) {
            stored_.reset();
            return; // the tracker's own write or read tells what is wrong with the file
        }
    }
    UpdateTipAndAlerts(now, period, stored_->second);
}

void SpendWatch::UpdateTipAndAlerts(const LocalMoment& now, const BillingPeriod& period,
                                    const SpendTotal& stored) {
    const SpendFigures figures =
        SpendFigures::Of(WithOpen(stored, state_.OpenSegmentAt(now), state_.OpenTrafficAt()),
                         period, budget_, now.date, state_.TrafficTermsNow());
    // The tip's connection is the whole of it, as the status line counts it.
    tip_ = TrayTip(state_.ConnectionAt(now), figures);
    tray_.SetToolTip(tip_);
    const Traffic& traffic = figures.total.traffic;
    for (const BudgetAlert& alert :
         alerts_.Passed(period, double(figures.total.money), figures.total.seconds, budget_,
                        traffic.rx + traffic.tx))
        // Each new alert of the period's money (or time, or traffic) takes the place of the
        // last one of its kind.
        notifier_.Notify(alert.title, alert.text,
                         period.first.toString(Qt::ISODate) + AlertTag(alert.kind),
                         alert.used >= 100);
}
