#pragma once
// "Настройка частоты таймера": the poll interval in seconds. Its field is where the setting
// lives between loading and saving; "Отмена" keeps whatever was typed.

#include <QDialog>
#include <functional>

class IntegerSpinEdit;
class Dialogs;

class PollIntervalDialog final : public QDialog {
    Q_OBJECT
public:
    // `accept` applies and saves the interval; it returns a message when it could not.
    PollIntervalDialog(Dialogs& dialogs, std::function<std::optional<QString>(int)> accept,
                       QWidget* parent = nullptr);
    IntegerSpinEdit* Field() const { return field_; }
    void Confirm(); // "Ok"
    void Cancel();  // "Отмена"

private:
    Dialogs& dialogs_;
    std::function<std::optional<QString>(int)> accept_;
    IntegerSpinEdit* field_;
};
