#pragma once
// The password entry dialog, the password change dialog, and the gate before the tariffs,
// the settings and deleting records.

#include "Passwords.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class Dialogs;
class OptionsStore;

// "Ввод пароля. ": "Ок" confirms the typed text, "Отмена" empties the confirmed text, and the
// title-bar close leaves it as it was.
class PasswordEntryDialog final : public QDialog {
    Q_OBJECT
public:
    PasswordEntryDialog(Passwords& passwords, QWidget* parent = nullptr);
    QLineEdit* Field() const { return field_; }
    void Confirm(); // "Ок"
    void Cancel();  // "Отмена"

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Passwords& passwords_;
    QLineEdit* field_;
};

// Asks for the password every time; yes when the text confirmed last equals the password.
class AccessGate {
public:
    AccessGate(Passwords& passwords, PasswordEntryDialog& dialog)
        : passwords_(passwords), dialog_([&dialog]() -> PasswordEntryDialog& { return dialog; }) {}
    // The entry dialog made the first time the password is asked for.
    AccessGate(Passwords& passwords, std::function<PasswordEntryDialog&()> dialog)
        : passwords_(passwords), dialog_(std::move(dialog)) {}
    bool Ask();
    // Shows the entry dialog modally; tests replace it.
    std::function<void(PasswordEntryDialog&)> run = [](PasswordEntryDialog& d) {
        d.exec();
    };

private:
    Passwords& passwords_;
    std::function<PasswordEntryDialog&()> dialog_;
};

// "Установка пароля": the old password, the new one and its confirmation.
class PasswordChangeDialog final : public QDialog {
    Q_OBJECT
public:
    PasswordChangeDialog(Passwords& passwords, OptionsStore& options, Dialogs& dialogs,
                         QWidget* parent = nullptr);
    void ClearFields();
    void Confirm(); // "Ок"
    void Cancel();  // "Отмена"
    QLineEdit* OldField() const { return old_; }
    QLineEdit* NewField() const { return new_; }
    QLineEdit* ConfirmField() const { return confirm_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Passwords& passwords_;
    OptionsStore& options_;
    Dialogs& dialogs_;
    QLineEdit* old_;
    QLineEdit* new_;
    QLineEdit* confirm_;
};
