#include "PasswordDialogs.h"

#include "OptionsFile.h"
#include "storage/Failure.h"
#include "ui/Artwork.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"
#include "ui/ProgramStyle.h"
#include "ui/UiFonts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
void DialogLook(QDialog* dialog, const char* name, const QString& caption, const QRect& geometry) {
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setWindowTitle(caption);
    dialog->setWindowIcon(Artwork::ApplicationIcon());
    dialog->setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    Contrast::FixColours(dialog, Contrast::FormColour, Qt::white);
    dialog->move(geometry.topLeft());
    dialog->setFixedSize(geometry.size());
}

// A label at its place, ending short of the field at fieldLeft: our faces run wider than
// the classic one, so a label that would reach its field moves left just enough.
QLabel* Label(QWidget* parent, const QString& text, QPoint at, int fieldLeft) {
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    constexpr int Gap = 4;
    if (label->geometry().right() + Gap >= fieldLeft)
        label->move(std::max(Gap, fieldLeft - Gap - label->width()), at.y());
    return label;
}

QLineEdit* Secret(QWidget* parent, const char* name, const QRect& geometry) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    // The desktop's style shows a typed password as dots; these fields show an asterisk.
    field->setStyle(StyleWithHint(QStyle::SH_LineEdit_PasswordCharacter, '*', field));
    field->setEchoMode(QLineEdit::Password);
    field->setGeometry(geometry);
    field->setMaxLength(32767);
    return field;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(QRect(at, QSize(75, 25)));
    button->setAutoDefault(false); // Enter and Escape press neither button
    return button;
}

void Describe(QWidget* field, const QString& name, const QString& description) {
    field->setAccessibleName(name);
    field->setAccessibleDescription(description);
}

bool SwallowEscape(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        return false;
    event->accept();
    return true;
}
} // namespace

PasswordEntryDialog::PasswordEntryDialog(Passwords& passwords, QWidget* parent)
    : QDialog(parent), passwords_(passwords) {
    DialogLook(this, "Form6", QStringLiteral("Ввод пароля. "), {299, 176, 206, 73});
    Label(this, QStringLiteral("Пароль"), {29, 11}, 72)->setObjectName(QStringLiteral("Label2"));
    field_ = Secret(this, "MaskEdit1", {72, 8, 129, 21});
    Describe(field_, QStringLiteral("Пароль"),
             QStringLiteral("Пароль для тарифов, настройки и "
                            "удаления записей"));
    QPushButton* ok = Button(this, "Button1", QStringLiteral("Ок"), {32, 40});
    QPushButton* cancel = Button(this, "Button2", QStringLiteral("Отмена"), {128, 40});
    connect(ok, &QPushButton::clicked, this, &PasswordEntryDialog::Confirm);
    connect(cancel, &QPushButton::clicked, this, &PasswordEntryDialog::Cancel);
    Keyboard::AssignAccessKeys(this);
    setTabOrder(field_, ok);
    setTabOrder(ok, cancel);
}

void PasswordEntryDialog::Confirm() {
    passwords_.entered = field_->text();
    accept();
}

void PasswordEntryDialog::Cancel() {
    passwords_.entered.clear();
    reject();
}

void PasswordEntryDialog::keyPressEvent(QKeyEvent* event) {
    if (!SwallowEscape(event))
        QDialog::keyPressEvent(event);
}

bool AccessGate::Ask() {
    PasswordEntryDialog& dialog = dialog_();
    dialog.Field()->clear();
    dialog.Field()->setFocus();
    run(dialog); // however it closes, only the confirmed text counts
    return passwords_.Open();
}

PasswordChangeDialog::PasswordChangeDialog(Passwords& passwords, OptionsStore& options,
                                           Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), passwords_(passwords), options_(options), dialogs_(dialogs) {
    DialogLook(this, "Form7", QStringLiteral("Установка пароля"), {248, 201, 243, 130});
    Label(this, QStringLiteral("Старый пароль"), {32, 20}, 112);
    Label(this, QStringLiteral("Новый пароль"), {32, 45}, 112);
    Label(this, QStringLiteral("Подтверждение"), {24, 67}, 112);
    old_ = Secret(this, "MaskEdit1", {112, 16, 121, 21});
    new_ = Secret(this, "MaskEdit2", {112, 40, 121, 21});
    confirm_ = Secret(this, "MaskEdit3", {112, 64, 121, 21});
    Describe(old_, QStringLiteral("Старый пароль"), QStringLiteral("Пароль, заданный сейчас"));
    Describe(new_, QStringLiteral("Новый пароль"), QStringLiteral("Пароль, который будет задан"));
    Describe(confirm_, QStringLiteral("Подтверждение"),
             QStringLiteral("Новый пароль ещё раз, для проверки"));
    QPushButton* ok = Button(this, "Button1", QStringLiteral("Ок"), {48, 96});
    QPushButton* cancel = Button(this, "Button2", QStringLiteral("Отмена"), {144, 96});
    connect(ok, &QPushButton::clicked, this, &PasswordChangeDialog::Confirm);
    connect(cancel, &QPushButton::clicked, this, &PasswordChangeDialog::Cancel);
    Keyboard::AssignAccessKeys(this);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, old_);
    setTabOrder(old_, new_);
    setTabOrder(new_, confirm_);
}

void PasswordChangeDialog::ClearFields() {
    old_->clear();
    new_->clear();
    confirm_->clear();
}

void PasswordChangeDialog::Confirm() {
    try {
        options_.LoadOptions(); // the password in the file is the one to know
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    if (old_->text() != passwords_.stored || new_->text() != confirm_->text()) {
        dialogs_.Message(this, QStringLiteral("Не верный пароль."));
        return;
    }
    if (const auto refusal = PasswordRefusal(new_->text())) {
        dialogs_.Message(this, *refusal);
        return;
    }
    const QString previous = passwords_.stored;
    passwords_.stored = new_->text();
    try {
        options_.SaveOptions();
    } catch (const Failure& failure) {
        passwords_.stored = previous; // a password that was not saved is not taken
        dialogs_.Error(this, failure.message());
        return;
    }
    dialogs_.Message(this, QStringLiteral("Пароль успешно изменен."));
    accept();
}

void PasswordChangeDialog::Cancel() {
    reject();
}

void PasswordChangeDialog::keyPressEvent(QKeyEvent* event) {
    if (!SwallowEscape(event))
        QDialog::keyPressEvent(event);
}
