#include "ProgressWindow.h"

#include <QApplication>
#include <QProgressDialog>

ProgressWindow::ProgressWindow(QWidget* parent, QString title)
    : parent_(parent), title_(std::move(title)) {}

ProgressWindow::~ProgressWindow() {
    End();
}

void ProgressWindow::Begin(qint64 total, const QString& unit) {
    total_ = std::max<qint64>(total, 1);
    unit_ = unit;
    scale_ = int(std::max<qint64>(1, total_ / 1'000'000 + 1));
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setWindowTitle(title_);
    dialog_->setCancelButtonText(QStringLiteral("&Отмена"));
    dialog_->setRange(0, int(total_ / scale_));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(400);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setAccessibleName(title_);
    dialog_->setLabelText(QStringLiteral("%1 0 из %2").arg(unit_).arg(total_));
    dialog_->setValue(0);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
}

bool ProgressWindow::Advance(qint64 done) {
    if (!dialog_)
        return true;
    dialog_->setLabelText(QStringLiteral("%1 %2 из %3").arg(unit_).arg(done).arg(total_));
    dialog_->setValue(int(done / scale_)); // runs the events of a window-modal dialog
    // The window repaints and the timers keep timing the connection.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !dialog_->wasCanceled();
}

void ProgressWindow::End() {
    if (!dialog_)
        return;
    dialog_.reset();
    QGuiApplication::restoreOverrideCursor();
}
