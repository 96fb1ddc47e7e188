#pragma once
// "Тарификация": how a connection is billed beyond its time at the rates in force: the
// step, the fee per connection and the minimum per connection; and the traffic: the price of
// a megabyte beyond the package and the package per billing period. Stored in one
// transaction by "Принять"; wrong input is refused with the new-tariff dialog's message.

#include <QDialog>

class QFormLayout;
class QLineEdit;
class QRadioButton;
class TariffTable;
class Dialogs;

class BillingDialog final : public QDialog {
    Q_OBJECT
public:
    BillingDialog(Dialogs& dialogs, TariffTable& table, QWidget* parent = nullptr);

    void AcceptBilling(); // "Принять"

    QRadioButton* PerSecond() const { return perSecond_; }
    QRadioButton* PerMinute() const { return perMinute_; }
    QRadioButton* PerSeconds() const { return perSeconds_; }
    QLineEdit* SecondsInput() const { return seconds_; }
    QLineEdit* FeeInput() const { return fee_; }
    QLineEdit* MinimumInput() const { return minimum_; }
    QLineEdit* PriceInput() const { return price_; }
    QLineEdit* PackageInput() const { return package_; }

private:
    Dialogs& dialogs_;
    TariffTable& table_;
    QRadioButton* perSecond_;
    QRadioButton* perMinute_;
    QRadioButton* perSeconds_;
    QLineEdit* seconds_;
    QLineEdit* fee_;
    QLineEdit* minimum_;
    QLineEdit* price_;
    QLineEdit* package_;

    void ShowStored();
    void AddTrafficRows(QFormLayout* rows);
};
