#include "PollIntervalDialog.h"

#include "IntegerSpinEdit.h"
#include "OptionsFile.h"
#include "ui/Artwork.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"
#include "ui/UiFonts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PollIntervalDialog::PollIntervalDialog(Dialogs& dialogs,
                                       std::function<std::optional<QString>(int)> accept,
                                       QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), accept_(std::move(accept)),
      field_(new IntegerSpinEdit(this)) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Настройка частоты таймера"));
    setWindowIcon(Artwork::ApplicationIcon());
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    Contrast::FixColours(this, Contrast::FormColour, Qt::white);
    // The place is the outer frame's, as a top-level window's position always is; the size
    // is the inside, 299 x 103 outside with the classic frame.
    move(194, 107);
    resize(291, 76);
    setSizeGripEnabled(true);

    for (auto [name, text, x] : {std::tuple{"Label1", "Опрос состояния каждые ", 8},
                                 std::tuple{"Label2", "секунд", 216}}) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setObjectName(QString::fromLatin1(name));
        label->move(x, 16);
        label->adjustSize();
    }
    field_->setObjectName(QStringLiteral("SpinEdit1"));
    field_->setGeometry(144, 13, 65, 22);
    field_->Editor()->setAccessibleName(QStringLiteral("Опрос состояния каждые, секунд"));
    field_->Editor()->setAccessibleDescription(
        QStringLiteral("Как часто программа проверяет подключение к Интернету"));
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(48, 48, 75, 25);
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(184, 48, 75, 25);
    cancel->setAutoDefault(false);
    Keyboard::AssignAccessKeys(this);
    connect(ok, &QPushButton::clicked, this, &PollIntervalDialog::Confirm);
    connect(cancel, &QPushButton::clicked, this, &PollIntervalDialog::Cancel);
    setTabOrder(field_, ok);
    setTabOrder(ok, cancel);
}

void PollIntervalDialog::Confirm() {
    const int seconds = field_->Value();
    if (const auto refusal = PollIntervalRefusal(seconds)) {
        dialogs_.Message(this, *refusal); // nothing changes; the field keeps the text
        return;
    }
    if (const auto trouble = accept_(seconds))
        dialogs_.Error(this, *trouble);
    accept();
}

void PollIntervalDialog::Cancel() {
    reject();
}
