#include "ErrorBox.h"

#include <QMessageBox>

void ErrorBox::Show(const QString& message) {
    open_.removeAll(nullptr);
    for (const auto& box : open_)
        if (box->text() == message)
            return;
    auto* box = new QMessageBox(QMessageBox::Critical, title_, message, QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    open_ << box;
    box->show();
}

QStringList ErrorBox::ShownMessages() const {
    QStringList texts;
    for (const auto& box : open_)
        if (box)
            texts << box->text();
    return texts;
}
