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
      seconds_(new QLineEdit(this)), fee_(new QLineEdit(this)), minimum_(new QLineEdit(this)),
      price_(new QLineEdit(this)), package_(new QLineEdit(this)) {
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
    price_->setObjectName(QStringLiteral("Price"));
    package_->setObjectName(QStringLiteral("Package"));
    seconds_->setMaximumWidth(60);
    ShowStored();
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
    AddTrafficRows(amounts);

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

// The terms stored; the defaults, after saying why, for those that cannot be read.
void BillingDialog::ShowStored() {
    Billing billing;
    TrafficTerms traffic;
    try {
        billing = table_.ReadBilling();
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message()); // shown with the defaults; stored on "Ок"
    }
    try {
        traffic = table_.ReadTrafficTerms();
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
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
    price_->setText(PriceInputText(traffic.pricePerMebibyte));
    package_->setText(QString::number(traffic.packageMebibytes));
}

// The traffic: the price beyond the package, the package, and which megabyte is meant.
void BillingDialog::AddTrafficRows(QFormLayout* rows) {
    rows->addRow(QStringLiteral("&Цена за МБ сверх пакета, ₽"), price_);
    rows->addRow(QStringLiteral("Паке&т на период, МБ (0 — нет)"), package_);
    auto* note = new QLabel(QStringLiteral("1 МБ = 1 048 576 байт"), this);
    note->setObjectName(QStringLiteral("Mebibyte"));
    rows->addRow(note);
    price_->setAccessibleName(QStringLiteral("Цена за МБ сверх пакета, ₽"));
    package_->setAccessibleName(QStringLiteral("Пакет на период, МБ"));
    price_->setAccessibleDescription(QStringLiteral(
        "Цена каждого мегабайта (1 048 576 байт), принятого и отправленного сверх пакета"));
    package_->setAccessibleDescription(
        QStringLiteral("Мегабайт, включённых в каждый расчётный период; 0 — пакета нет"));
}

void BillingDialog::AcceptBilling() {
    const StepChoice step = perSecond_->isChecked()   ? StepChoice::Second
                            : perMinute_->isChecked() ? StepChoice::Minute
                                                      : StepChoice::Seconds;
    QString wrong;
    const auto billing =
        BillingFromInput(step, seconds_->text(), fee_->text(), minimum_->text(), &wrong);
    const auto traffic =
        billing ? TrafficFromInput(price_->text(), package_->text(), &wrong) : std::nullopt;
    if (!billing || !traffic) {
        const QString hint =
            wrong == QStringLiteral("N секунд")
                ? QStringLiteral("Нужно целое число секунд от 1 до 3600.")
            : wrong == QStringLiteral("Пакет на период")
                ? QStringLiteral("Нужно целое число мегабайт, например 0, 2048 или 10 000.")
                : QStringLiteral("Нужна сумма в рублях, например 5, 0,5 или 5 000.");
        dialogs_.Message(
            this, QStringLiteral("Ошибка в заполнении формы: поле «%1». %2").arg(wrong, hint));
        return;
    }
    try {
        table_.SetTerms(*billing, *traffic);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    accept();
}
