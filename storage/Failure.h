#pragma once
// The one kind of error the program's layers raise: a message meant for the user.
// Handlers catch it and decide how to show it; the data layer never shows anything.

#include <QString>
#include <exception>

class Failure : public std::exception {
public:
    explicit Failure(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};
