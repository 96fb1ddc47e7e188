#pragma once
// The billing period's start day and the budget, kept in kelvora.ini:
//   [Period] StartDay = 1..28            the day of the month a period begins (1)
//   [Budget] Money    = rubles a period  (0: none)
//   [Budget] Time     = hours a period   (0: none)
//   [Budget] Alerts   = percent thresholds, "80,100"
//   [Budget] Traffic  = mebibytes a period (0: none), received and sent together

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class ProgramSettings;

struct Budget {
    int startDay = 1;
    double money = 0;           // rubles; 0 is no budget
    double hours = 0;           // 0 is no budget
    QList<int> alerts{80, 100}; // ascending, each 1..1000
    double mebibytes = 0;       // traffic; 0 is no budget

    bool operator==(const Budget&) const = default;
};

struct BudgetRead {
    Budget budget;
    QStringList problems; // values that could not be understood, and what stands instead
};
BudgetRead ReadBudget(const ProgramSettings& settings);
// Writes the keys; a message when the file could not be written (then nothing changed).
std::optional<QString> SaveBudget(ProgramSettings& settings, const Budget& budget);

// "80, 100" or "80 100" to thresholds, ascending and without repeats; none when a part is not
// a whole number from 1 to 1000.
std::optional<QList<int>> ParseAlerts(const QString& text);
QString AlertsText(const QList<int>& alerts); // "80,100"
// A money or hours text of the file or the dialog: "500", "500,50" or "500.50"; 0 (no
// budget) or from SmallestAmount (a kopeck, 36 seconds) to 10^12.
std::optional<double> ParseAmount(const QString& text);
constexpr double SmallestAmount = 0.01;

// How much of a budget is used, in percent, from 0 to MostPercent: shown and compared as a
// whole number, so that a tiny budget or a huge spending never runs past an int. 0 when there
// is no budget.
constexpr double MostPercent = 1e6;
double UsedPercent(double used, double budget);
