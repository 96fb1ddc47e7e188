#pragma once
// "Бюджет...": the billing period's start day, the money, time and traffic budget and the alert
// thresholds, written to kelvora.ini whole; a failed write is said and the dialog stays.

#include "Budget.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <variant>

class QLineEdit;
class QSpinBox;
class QLabel;

class BudgetDialog final : public QDialog {
    Q_OBJECT
public:
    // save writes the budget and returns why it could not, if it could not.
    using Save = std::function<std::optional<QString>(const Budget&)>;
    explicit BudgetDialog(Save save, QWidget* parent = nullptr);

    void FillFields(const Budget& budget); // exec() follows
    // The fields read back, or what is wrong with them.
    std::variant<Budget, QString> Entered() const;
    QString Problem() const;

    QSpinBox* startDay;
    QLineEdit* money;
    QLineEdit* hours;
    QLineEdit* traffic; // mebibytes
    QLineEdit* alerts;

    void accept() override;

private:
    Save save_;
    QLabel* problem_;
};
