#pragma once
// The report's preview: one page at a time at the chosen zoom, with the toolbar of zoom,
// paging, printing, saving and opening a saved report, and "&Close".

#include "ui/Printing.h"

#include <QDialog>
#include <memory>

class QAction;
class QLabel;
class QScrollArea;
class Dialogs;
class PageSource;
class ReportDocument;

class PreviewWindow final : public QDialog {
    Q_OBJECT
public:
    enum class Zoom { Fit, Actual, Width };

    // `report` may be null when only a saved PDF is shown.
    PreviewWindow(ReportDocument* report, Dialogs& dialogs, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    qint64 CurrentPage() const { return page_; }
    qint64 PageCount() const;
    void ShowPage(qint64 page);
    void SetZoom(Zoom zoom);
    Zoom CurrentZoom() const { return zoom_; }
    double Scale() const; // device pixels per millimetre

    void SetUpPrinter();
    void PrintReport();
    void SaveReport();
    void OpenSavedReport(); // asks for a file
    void OpenSavedReport(const QString& path);
    PageSource& Pages() const { return *pages_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class PageWidget;
    void Relayout();
    void UpdateActions();

    ReportDocument* report_;
    std::unique_ptr<PageSource> saved_; // a PDF opened from disk
    PageSource* pages_;
    Dialogs& dialogs_;
    // Made at the first page set-up or print; null after an error told.
    QPrinter* Printer();
    Printing::Printer printer_;
    QScrollArea* scroll_;
    PageWidget* page_widget_;
    QLabel* pageLabel_;
    QAction* first_;
    QAction* prior_;
    QAction* next_;
    QAction* last_;
    qint64 page_ = 0;
    Zoom zoom_ = Zoom::Width;
};
