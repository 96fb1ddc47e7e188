#pragma once
// "Праздники": the dates on which tariff periods are matched as if it were another weekday
// (Sunday unless told otherwise; a working Saturday counts as a Monday). Each addition,
// change and removal is stored at once, one transaction each.

#include "storage/TariffTable.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QTableWidget;
class Dialogs;

class HolidaysDialog final : public QDialog {
    Q_OBJECT
public:
    HolidaysDialog(Dialogs& dialogs, TariffTable& table, QWidget* parent = nullptr);

    void AddHoliday();    // "Добавить": the date and weekday chosen below the list
    void RemoveCurrent(); // "Удалить": the holiday of the current row

    QTableWidget* List() const { return list_; }
    QDateEdit* DateInput() const { return date_; }
    QComboBox* DayInput() const { return day_; }

private:
    void Reload();

    Dialogs& dialogs_;
    TariffTable& table_;
    std::vector<Holiday> holidays_;
    QTableWidget* list_;
    QDateEdit* date_;
    QComboBox* day_;
};
