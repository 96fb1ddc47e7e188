#pragma once
// The application's error box: error icon, the application title, the message. It does
// not block, so the timers go on; the same message is not stacked while still on screen.

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;
class QMessageBox;

class ErrorBox {
public:
    ErrorBox(QWidget* parent, QString title) : parent_(parent), title_(std::move(title)) {}
    void Show(const QString& message);
    QStringList ShownMessages() const; // those still on screen

private:
    QWidget* parent_;
    QString title_;
    QList<QPointer<QMessageBox>> open_;
};
