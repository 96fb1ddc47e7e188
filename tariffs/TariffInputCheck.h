#pragma once
// The new-tariff dialog's rules: the character check of its three inputs, and turning
// inputs that pass it into a tariff period; and the billing dialog's rules.

#include "storage/Billing.h"
#include "storage/TariffTable.h"
#include "storage/Traffic.h"

#include <QString>

// True when the inputs are wrong. start and end are the time inputs' 8-character texts
// (blanks in empty places), cost the cost input exactly as typed. Tested in this order:
// hour tens of start above '2', hour units above '9', minute tens above '5'; the same three
// on end; then any of the first n characters of cost, n being the length of the trimmed
// cost, that is neither a digit nor a comma. Character codes are compared, so a blank
// (32) is below every digit; nothing else is looked at.
bool CheckTariffInput(const QString& start, const QString& end, const QString& cost);

// The period from inputs that passed the check: each text trimmed of blanks and control
// characters, the times read as times of day and the cost as a number with a decimal comma.
// Throws Failure "Invalid value for field '%s'" naming WrN, WrK or Cost.
TariffPeriod TariffFromInput(const QString& start, const QString& end, const QString& cost);

// The billing dialog's choices: the step (per second, per started minute, or per started
// `seconds` seconds, 1 to 3600, digits only), the fee and the minimum per connection (digits
// with one decimal comma or point, thousands may be set apart by spaces: "5 000,50"; empty for
// none). None when any of them is wrong; then `wrong`, when given, names the first field that
// is, in the dialog's words.
enum class StepChoice { Second, Minute, Seconds };
std::optional<Billing> BillingFromInput(StepChoice step, const QString& seconds, const QString& fee,
                                        const QString& minimum, QString* wrong = nullptr);
// The choice and the seconds text that show the stored terms.
StepChoice StepChoiceOf(const Billing& billing);
// An amount as the billing dialog shows it for editing: 1,5; empty for none.
QString AmountInputText(double amount);

// The billing dialog's traffic terms: the price of a megabyte beyond the package, an amount
// read as the fee is, and the package per billing period in whole megabytes (digits, thousands
// may be set apart by spaces; empty for none) up to TariffTable::MaxPackageMebibytes. None
// when either is wrong; then `wrong`, when given, names the first that is, in the dialog's
// words.
std::optional<TrafficTerms> TrafficFromInput(const QString& price, const QString& package,
                                             QString* wrong = nullptr);
// The price as the dialog shows it for editing: 0,00005 rather than 5E-5; empty for none.
QString PriceInputText(const QString& price);
