#pragma once
// Which budget thresholds the period's spending has passed and the user has not been told
// of yet. Told once per threshold, budget and period; what was told is kept in kelvora.ini
//   [Alerts] Period = 2026-12-15           the first day of the period it is about
//   [Alerts] Sent   = "money 500 80, time 40 80, traffic 2048 80"
// so that a restart does not tell it again. A new period starts with nothing told; a
// changed budget counts afresh.

#include "BillingPeriod.h"
#include "Budget.h"

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

class ProgramSettings;

struct BudgetAlert {
    enum class Kind { Money, Time, Traffic };
    Kind kind;
    int percent; // the threshold passed
    double used; // percent of the budget used now
    QString title;
    QString text;
};

class BudgetAlerts {
public:
    // Reads what was told from the settings, which must be loaded.
    explicit BudgetAlerts(ProgramSettings& settings);

    // The alerts to give now for the period's money, seconds and bytes so far: for each kind,
    // the highest threshold newly passed (the lower ones passed with it are not told apart).
    // Marks them told, here and in the file.
    std::vector<BudgetAlert> Passed(const BillingPeriod& period, double money, qint64 seconds,
                                    const Budget& budget, quint64 bytes = 0);
    // Why the last mark could not be written to the file, if it could not; kept in memory,
    // it is not told again while the program runs.
    const std::optional<QString>& WriteProblem() const { return writeProblem_; }

private:
    ProgramSettings& settings_;
    QDate period_;
    QSet<QString> sent_;
    std::optional<QString> writeProblem_;
};
