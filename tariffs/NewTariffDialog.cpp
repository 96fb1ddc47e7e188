#include "NewTariffDialog.h"

#include "DaysToggles.h"
#include "TariffInputCheck.h"
#include "TimeMaskEdit.h"
#include "storage/Failure.h"
#include "ui/Artwork.h"
#include "ui/Centred.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"
#include "ui/TextFit.h"
#include "ui/UiFonts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

const QString NewTariffDialog::Example =
    QStringLiteral("Пример: С 1:00 до 8:00 - 10 руб., с 8:00 до 1:00 - 20 руб. ") +
    QStringLiteral("\n\r") +
    QStringLiteral("Время начала-1:00, время окончания - 8:00  сумма-10 руб.") +
    QStringLiteral("\n\r") +
    QStringLiteral("Время начала-8:00, время окончания - 23:59 сумма-20 руб.") +
    QStringLiteral("\n\r") +
    QStringLiteral("Время начала-0:00, время окончания - 1:00 сумма-20 руб.") +
    QStringLiteral("\n\r") +
    QStringLiteral("Главное что бы не было перехода через 0:00 т.е. с 23:00 до 1:00 <- так "
                   "запрещено");

namespace {
QLabel* Label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
              const QColor& color, const QColor& background) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    Contrast::FixText(label, background, color);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false); // Enter presses no button here
    return button;
}
} // namespace

NewTariffDialog::NewTariffDialog(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Добавление нового тарифа"));
    setWindowIcon(Artwork::ApplicationIcon());
    setFixedSize(229, 262);
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    const QColor background(185, 209, 234);
    Contrast::FixColours(this, background, Qt::white);

    const QColor window = Qt::white;
    // Two lines each, clear of the warning and of the example button beside them.
    TextFit::Fit(Label(this, "Label1", QStringLiteral("Время начала действия тарифа"),
                       {16, 8, 87, 30}, window, background),
                 100);
    QLabel* warning = Label(this, "Label4",
                            QStringLiteral("Внимание!  Тариф заполняется с   0:00:00 до 23:59:59"),
                            {120, 8, 96, 39}, Qt::red, background);
    Contrast::FixColours(warning, QColor(240, 240, 240), Qt::red);
    // Our faces run wider than the classic one: a pixel less keeps the warning in its place.
    warning->setFont(UiFonts::Font(UiFonts::SansFamilies(), 10));
    warning->setFixedHeight(std::max(39, warning->heightForWidth(96))); // all of it shows
    TextFit::Fit(Label(this, "Label2", QStringLiteral("Время окончания действия тарифа"),
                       {16, 72, 92, 30}, window, background),
                 132);
    Label(this, "Label3", QStringLiteral("Стоимость (руб/час)"), {16, 144, 140, 16}, window,
          background);

    auto refuse = [this](const QString& text) {
        dialogs_.Error(this, text);
    };
    start_ = new TimeMaskEdit(this);
    start_->setObjectName(QStringLiteral("MaskEdit1"));
    start_->setGeometry(16, 40, 49, 21);
    start_->SetRefusalHandler(refuse);
    end_ = new TimeMaskEdit(this);
    end_->setObjectName(QStringLiteral("MaskEdit2"));
    end_->setGeometry(16, 104, 49, 21);
    end_->SetRefusalHandler(refuse);
    cost_ = new QLineEdit(this);
    cost_->setObjectName(QStringLiteral("Edit1"));
    cost_->setGeometry(16, 160, 121, 21);
    for (auto [field, name, description] :
         {std::tuple<QWidget*, const char*, const char*>{start_, "Время начала действия тарифа",
                                                         "Часы, минуты и секунды, с 0:00:00"},
          {end_, "Время окончания действия тарифа", "Часы, минуты и секунды, до 23:59:59"},
          {cost_, "Стоимость (руб/час)", "Цена одного часа в рублях"}}) {
        field->setAccessibleName(QString::fromUtf8(name));
        field->setAccessibleDescription(QString::fromUtf8(description));
    }
    // Every day at first: stored as a period of every day.
    days_ = new DaysToggles(this);
    days_->setObjectName(QStringLiteral("Days"));
    days_->move(16, 192);

    QPushButton* example = Button(this, "Button3", QStringLiteral("Пример"), {152, 56, 75, 25});
    QPushButton* accept =
        Button(this, "Button1", QStringLiteral("Принять тариф"), {16, 226, 113, 25});
    QPushButton* cancel = Button(this, "Button2", QStringLiteral("Отмена"), {144, 226, 75, 25});
    connect(accept, &QPushButton::clicked, this, &NewTariffDialog::AcceptTariff);
    connect(cancel, &QPushButton::clicked, this, &NewTariffDialog::Cancel);
    connect(example, &QPushButton::clicked, this, &NewTariffDialog::ShowExample);

    Keyboard::AssignAccessKeys(this);
    setTabOrder(start_, end_);
    setTabOrder(end_, cost_);
    setTabOrder(cost_, days_->Toggle(1));
    for (int d = 1; d < 7; ++d)
        setTabOrder(days_->Toggle(d), days_->Toggle(d + 1));
    setTabOrder(days_->Toggle(7), cancel);
    setTabOrder(cancel, accept);
    setTabOrder(accept, example);
    start_->setFocus();
}

void NewTariffDialog::AcceptTariff() {
    const QString start = start_->MaskText();
    const QString end = end_->MaskText();
    const QString cost = cost_->text();
    const QString days = days_->Checked();
    if (CheckTariffInput(start, end, cost) || days.isEmpty()) { // a period of no day at all
        dialogs_.Message(this, QStringLiteral("Ошибка в заполнении формы"));
        return;
    }
    try {
        if (!table_)
            throw Failure(QStringLiteral("Таблица тарифов не открыта: тариф добавить нельзя."));
        // Converted in full before anything is stored: a bad value leaves no row behind.
        TariffPeriod period = TariffFromInput(start, end, cost);
        period.days = days; // all seven are stored as every day
        table_->Add(period);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    accept(); // the inputs keep their texts for the next opening
}

void NewTariffDialog::Cancel() {
    start_->Clear();
    end_->Clear();
    cost_->clear();
    days_->SetDays({});
    reject();
}

void NewTariffDialog::ShowExample() {
    dialogs_.Message(this, Example);
}

void NewTariffDialog::keyPressEvent(QKeyEvent* event) {
    // Escape is no cancel button here: the dialog stays open.
    if (event->key() == Qt::Key_Escape)
        return event->accept();
    QDialog::keyPressEvent(event);
}

void NewTariffDialog::showEvent(QShowEvent* event) {
    CentreOnScreen(this);
    QDialog::showEvent(event);
}
