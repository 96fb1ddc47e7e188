#pragma once
// The new-tariff dialog: start time, end time, price per hour and the days of the week,
// checked and added as one new tariff period, first in the table. Its inputs keep their
// texts between openings until "Отмена" empties them (and switches every day on again).

#include <QDialog>

class DaysToggles;
class QLineEdit;
class TariffTable;
class TimeMaskEdit;
class Dialogs;

class NewTariffDialog final : public QDialog {
    Q_OBJECT
public:
    static const QString Example; // the five lines of "Пример"

    explicit NewTariffDialog(Dialogs& dialogs, QWidget* parent = nullptr);
    void SetTable(TariffTable* table) { table_ = table; }

    void AcceptTariff(); // "Принять тариф"
    void Cancel();       // "Отмена": empties the inputs and closes
    void ShowExample();  // "Пример"

    TimeMaskEdit* StartInput() const { return start_; }
    TimeMaskEdit* EndInput() const { return end_; }
    QLineEdit* CostInput() const { return cost_; }
    DaysToggles* DaysInput() const { return days_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Dialogs& dialogs_;
    TariffTable* table_ = nullptr;
    TimeMaskEdit* start_;
    TimeMaskEdit* end_;
    QLineEdit* cost_;
    DaysToggles* days_;
};
