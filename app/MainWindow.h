#pragma once
// The main window: the status line the tracker writes to, and the program's lifetime.

#include "AppState.h"
#include "ErrorBox.h"

#include <QMainWindow>

class QLabel;

class MainWindow final : public QMainWindow, public TrackerView {
    Q_OBJECT
public:
    explicit MainWindow(AppState& state, QWidget* parent = nullptr);

    void ShowStatus(const QString& text) override;
    void ShowError(const QString& message) override { errors_.Show(message); }
    QString StatusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();

    AppState& state_;
    ErrorBox errors_;
    QLabel* status_;
};
