#pragma once
// The progress of printing or saving a report in a window: "Страница N из M", a cancel
// button, and the program's other windows and timers going on meanwhile. It shows only
// when the work takes longer than a moment.

#include "ExportProgress.h"

#include <QPointer>
#include <memory>

class QProgressDialog;
class QWidget;

class ProgressWindow final : public ExportProgress {
public:
    ProgressWindow(QWidget* parent, QString title);
    ~ProgressWindow() override;
    void Begin(qint64 total, const QString& unit) override;
    bool Advance(qint64 done) override;
    void End() override;

private:
    QWidget* parent_;
    QString title_;
    QString unit_;
    qint64 total_ = 0;
    int scale_ = 1; // the dialog counts in int: steps are grouped when there are more
    std::unique_ptr<QProgressDialog> dialog_;
};
