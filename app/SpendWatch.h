#pragma once
// Watches the period's spending at every poll and every stored or deleted record: keeps the
// tray icon's tip live and gives the budget's alerts, the connection being timed included.

#include "accounting/Clock.h"
#include "accounting/QtTimer.h"
#include "settings/ProgramSettings.h"
#include "spend/BudgetAlerts.h"
#include "spend/DesktopNotifier.h"
#include "spend/LiveSpend.h"

#include <QObject>
#include <optional>
#include <utility>

class AppState;
class TrayIcon;

class SpendWatch final : public QObject {
    Q_OBJECT
public:
    // At every record stored or deleted; at a poll that only keeps the open connection, from
    // the stored totals read last; and once a minute whatever happens, so that the period's
    // figures show off line too and a new period is seen.
    static constexpr int RereadMsecs = 60'000;

    SpendWatch(AppState& state, TrayIcon& tray, QObject* parent = nullptr);
    ~SpendWatch() override;

    // Reads kelvora.ini's budget afresh (after the dialog "Бюджет..." wrote it); what could
    // not be understood is returned.
    QStringList Reload();
    // Reads the period's stored records afresh, then updates the tip and gives an alert for a
    // threshold newly passed.
    void RereadAndUpdate();
    // The same when only the connection being timed moved on: the stored records are taken
    // as read last, unless the period changed since.
    void Update();

    const Budget& CurrentBudget() const { return budget_; }
    ProgramSettings& Settings() { return settings_; }
    const QString& Tip() const { return tip_; }
    DesktopNotifier& Notifier() { return notifier_; }

private:
    AppState& state_;
    TrayIcon& tray_;
    ProgramSettings settings_;
    Budget budget_;
    BudgetAlerts alerts_;
    DesktopNotifier notifier_;
    QString tip_;
    // The period's stored records as read last.
    std::optional<std::pair<BillingPeriod, SpendTotal>> stored_;
    std::unique_ptr<HoldableTimer> reread_;

    void UpdateTipAndAlerts(const LocalMoment& now, const BillingPeriod& period,
                            const SpendTotal& stored);
};
