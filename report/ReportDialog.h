#pragma once
// The report period dialog: "Показать с" one date "по" another, and "Показать". While it
// is open after "Показать", the session table (and so the main window's grid) shows only
// the records of the range; closing the dialog by any means shows them all again.

#include "ReportLayout.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QDateEdit;
class Dialogs;
class SessionTable;

// The report's summary line as last filled in; it keeps its texts when a report fails.
struct ReportForm {
    ReportLayout::Summary summary;
};

class ReportDialog final : public QDialog {
    Q_OBJECT
public:
    // Both dates start at the day the program started.
    ReportDialog(ReportForm& form, Dialogs& dialogs, QWidget* parent = nullptr);
    void SetTable(SessionTable* table) { table_ = table; }

    // Filter, totals, preview; returns when the preview is closed.
    void ShowReport();
    // Set by tests to look at the preview instead of running it.
    void SetPreviewRunner(std::function<void(class PreviewWindow&)> run) { run_ = std::move(run); }

    QDateEdit* FromPicker() const { return from_; }
    QDateEdit* ToPicker() const { return to_; }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ClearFilter();

    ReportForm& form_;
    Dialogs& dialogs_;
    SessionTable* table_ = nullptr;
    QDateEdit* from_;
    QDateEdit* to_;
    std::function<void(PreviewWindow&)> run_;
};
