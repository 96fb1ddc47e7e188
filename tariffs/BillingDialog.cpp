#include "BillingDialog.h"

#include "TariffInputCheck.h"
#include "storage/Failure.h"
#include "storage/TariffTable.h"
#include "ui/Centred.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

BillingDialog::BillingDialog(Dialogs& dialogs, TariffTable& table, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), table_(table),
      perSecond_(new QRadioButton(QStringLiteral("по&секундно"), this)),
      perMinute_(new QRadioButton(QStringLiteral("за каждую начатую &минуту"), this)),
      perSeconds_(new QRadioButton(QStringLiteral("за каждые &N секунд"), this)),
      seconds_(new QLineEdit(this)), fee_(new QLineEdit(this)), minimum_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("BillingDialog"));
    setWindowTitle(QStringLiteral("Тарификация"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Contrast::FixColours(this, Contrast::FormColour, Qt::white);
    perSecond_->setObjectName(QStringLiteral("PerSecond"));
    perMinute_->setObjectName(QStringLiteral("PerMinute"));
    perSeconds_->setObjectName(QStringLiteral("PerSeconds"));
    seconds_->setObjectName(QStringLiteral("Seconds"));
    fee_->setObjectName(QStringLiteral("Fee"));
    minimum_->setObjectName(QStringLiteral("Minimum"));
    seconds_->setMaximumWidth(60);

    Billing billing;
    try {
        billing = table_.ReadBilling();
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message()); // shown with the defaults; stored on "Ок"
    }
    switch (StepChoiceOf(billing)) {
    case StepChoice::Second:
        perSecond_->setChecked(true);
        break;
    case StepChoice::Minute:
        perMinute_->setChecked(true);
        break;
    case StepChoice::Seconds:
        perSeconds_->setChecked(true);
        seconds_->setText(QString::number(billing.unit));
        break;
    }
    fee_->setText(AmountInputText(billing.fee));
    minimum_->setText(AmountInputText(billing.minimum));
    seconds_->setEnabled(perSeconds_->isChecked());
    connect(perSeconds_, &QRadioButton::toggled, seconds_, &QLineEdit::setEnabled);

    auto* nSeconds = new QHBoxLayout;
    nSeconds->addWidget(perSeconds_);
    nSeconds->addWidget(new QLabel(QStringLiteral("N ="), this));
    nSeconds->addWidget(seconds_);
    nSeconds->addStretch();
    auto* amounts = new QFormLayout;
    amounts->addRow(QStringLiteral("&Плата за подключение, ₽"), fee_);
    amounts->addRow(QStringLiteral("Ми&нимум за подключение, ₽"), minimum_);
    fee_->setAccessibleName(QStringLiteral("Плата за подключение, ₽"));
    minimum_->setAccessibleName(QStringLiteral("Минимум за подключение, ₽"));
    seconds_->setAccessibleName(QStringLiteral("N секунд"));
    fee_->setAccessibleDescription(QStringLiteral("Добавляется к цене каждого подключения"));
    minimum_->setAccessibleDescription(
        QStringLiteral("Подключение стоит не меньше этой суммы вместе с платой"));
    seconds_->setAccessibleDescription(QStringLiteral("Время округляется вверх до N секунд"));

    auto* accept = new QPushButton(QStringLiteral("Ок"), this);
    accept->setObjectName(QStringLiteral("Accept"));
    accept->setDefault(true); // Enter confirms from any field
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Шаг тарификации:"), this));
    layout->addWidget(perSecond_);
    layout->addWidget(perMinute_);
    layout->addLayout(nSeconds);
    layout->addLayout(amounts);
    layout->addLayout(buttons);

    connect(accept, &QPushButton::clicked, this, &BillingDialog::AcceptBilling);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Keyboard::AssignAccessKeys(this);
    CentreOnScreen(this);
}

void BillingDialog::AcceptBilling() {
    const StepChoice step = perSecond_->isChecked()   ? StepChoice::Second
                            : perMinute_->isChecked() ? StepChoice::Minute
                                                      : StepChoice::Seconds;
    QString wrong;
    const auto billing =
        BillingFromInput(step, seconds_->text(), fee_->text(), minimum_->text(), &wrong);
    if (!billing) {
        dialogs_.Message(this, QStringLiteral("Ошибка в заполнении формы: поле «%1». %2")
                                   .arg(wrong, wrong == QStringLiteral("N секунд")
                                                   ? QStringLiteral("Нужно целое число секунд "
                                                                    "от 1 до 3600.")
                                                   : QStringLiteral("Нужна сумма в рублях, "
                                                                    "например 5, 0,5 или 5 000.")));
        return;
    }
    try {
        table_.SetBilling(*billing);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    accept();
}
