#pragma once
// The one password that guards the tariffs, the settings and deleting records, and the text
// last confirmed in the password entry dialog. Access is open exactly when they are equal;
// comparisons are exact (case and blanks count), and two empty texts are equal.

#include <QString>
#include <optional>

struct Passwords {
    QString stored;  // empty: no password
    QString entered; // the last text confirmed with "Ок"; "Отмена" empties it

    bool Open() const { return entered == stored; }
};

// Why a text cannot be a password, or nothing when it can: a character of code 8 or 11
// (whose stored form would end a line of the options file) or one that Windows-1251
// cannot write.
std::optional<QString> PasswordRefusal(const QString& password);
