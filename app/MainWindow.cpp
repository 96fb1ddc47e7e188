#include "MainWindow.h"

#include "storage/Failure.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), errors_(this, state.title), status_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Zuzevize"));
    statusBar()->addWidget(status_, 1);
    resize(600, 400);
    FormCreate();
}

void MainWindow::FormCreate() {
    try {
        state_.OpenSessionTable();
    } catch (const Failure& failure) {
        ShowError(failure.message());
        return; // without the session table the tracker does not start
    }
    state_.StartTracker(*this);
}

void MainWindow::ShowStatus(const QString& text) { status_->setText(text); }

QString MainWindow::StatusText() const { return status_->text(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    // A connection still being timed is written as a record ending now.
    if (state_.tracker && !state_.tracker->CloseOpenSegment())
        QMessageBox::critical(this, state_.title,
                              QStringLiteral("Не все записи о подключении удалось сохранить."));
    event->accept();
}
