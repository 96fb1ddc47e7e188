#include "BudgetDialog.h"

#include "BillingPeriod.h"
#include "ui/Contrast.h"
#include "ui/Keyboard.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

BudgetDialog::BudgetDialog(Save save, QWidget* parent)
    : QDialog(parent), startDay(new QSpinBox(this)), money(new QLineEdit(this)),
      hours(new QLineEdit(this)), traffic(new QLineEdit(this)), alerts(new QLineEdit(this)),
      save_(std::move(save)), problem_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Бюджет"));
    setObjectName(QStringLiteral("BudgetDialog"));
    startDay->setRange(BillingPeriod::FirstStartDay, BillingPeriod::LastStartDay);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Период начинается числа:"), startDay);
    form->addRow(QStringLiteral("&Бюджет на период, ₽ (0 — нет):"), money);
    form->addRow(QStringLiteral("&Время на период, ч (0 — нет):"), hours);
    form->addRow(QStringLiteral("&Трафик на период, МБ (0 — нет):"), traffic);
    form->addRow(QStringLiteral("П&редупреждать при, %:"), alerts);
    startDay->setAccessibleName(QStringLiteral("Период начинается числа"));
    money->setAccessibleName(QStringLiteral("Бюджет на период, ₽"));
    hours->setAccessibleName(QStringLiteral("Время на период, ч"));
    alerts->setAccessibleName(QStringLiteral("Предупреждать при, %"));
    traffic->setAccessibleName(QStringLiteral("Трафик на период, МБ"));
    traffic->setAccessibleDescription(
        QStringLiteral("Сколько мегабайт (по 1 048 576 байт) принять и передать за период; "
                       "0 — без ограничения"));
    startDay->setAccessibleDescription(QStringLiteral("Число месяца, с которого идет период"));
    money->setAccessibleDescription(QStringLiteral("Сколько рублей тратить за период; 0 — без "
                                                   "ограничения"));
    hours->setAccessibleDescription(QStringLiteral("Сколько часов быть в Интернете за период; "
                                                   "0 — без ограничения"));
    alerts->setAccessibleDescription(
        QStringLiteral("Доли бюджета в процентах, при которых показать предупреждение"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Ок"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true); // Enter in any field saves
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &BudgetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BudgetDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    Contrast::FixColours(this, Contrast::FormColour, Qt::black);
    Keyboard::AssignAccessKeys(this);
}

void BudgetDialog::FillFields(const Budget& budget) {
    startDay->setValue(budget.startDay);
    money->setText(QString::number(budget.money, 'g', 15).replace('.', ','));
    hours->setText(QString::number(budget.hours, 'g', 15).replace('.', ','));
    traffic->setText(QString::number(budget.mebibytes, 'g', 15).replace('.', ','));
    alerts->setText(AlertsText(budget.alerts).replace(',', QStringLiteral(", ")));
    problem_->clear();
}

std::variant<Budget, QString> BudgetDialog::Entered() const {
    Budget b;
    b.startDay = startDay->value();
    const auto m = ParseAmount(money->text());
    if (!m)
        return QStringLiteral("Бюджет на период — число рублей не меньше 0, например 500, "
                              "5 000 или 312,50.");
    const auto h = ParseAmount(hours->text());
    if (!h)
        return QStringLiteral("Время на период — число часов не меньше 0, например 40 или 7,5.");
    const auto t = ParseAmount(traffic->text());
    if (!t)
        return QStringLiteral("Трафик на период — число мегабайт не меньше 0, например 2048.");
    const auto a = ParseAlerts(alerts->text());
    if (!a || a->isEmpty())
        return QStringLiteral("Предупреждать при — проценты от 1 до 1000 через запятую, например "
                              "80, 100.");
    b.money = *m;
    b.hours = *h;
    b.mebibytes = *t;
    b.alerts = *a;
    return b;
}

QString BudgetDialog::Problem() const {
    return problem_->text();
}

void BudgetDialog::accept() {
    const auto entered = Entered();
    if (const auto* wrong = std::get_if<QString>(&entered)) {
        problem_->setText(*wrong);
        return;
    }
    if (save_) {
        if (const auto trouble = save_(std::get<Budget>(entered))) {
            problem_->setText(*trouble); // the file and the fields stay as they were
            return;
        }
    }
    QDialog::accept();
}
