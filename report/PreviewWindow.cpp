#include "PreviewWindow.h"

#include "PdfLoader.h"
#include "ProgressWindow.h"
#include "ReportDocument.h"
#include "ReportExport.h"
#include "platform/FileKind.h"
#include "storage/Failure.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/Printing.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

// Draws the current page only, white on grey with a thin shadow.
class PreviewWindow::PageWidget final : public QWidget {
public:
    explicit PageWidget(PreviewWindow* preview) : preview_(preview) {
        setBackgroundRole(QPalette::Dark);
        setAutoFillBackground(true);
    }
    static constexpr int Gap = 12;
    QRectF SheetRect() const {
        const QSizeF mm = preview_->pages_->PageSizeMm(preview_->page_);
        const double scale = preview_->Scale();
        const QSizeF size(mm.width() * scale, mm.height() * scale);
        return QRectF(QPointF(std::max(double(Gap), (width() - size.width()) / 2), Gap), size);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRectF sheet = SheetRect();
        painter.fillRect(sheet.translated(3, 3), QColor(60, 60, 60));
        painter.fillRect(sheet, Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        try {
            preview_->pages_->Paint(painter, preview_->page_, sheet);
        } catch (const Failure& failure) {
            painter.drawText(sheet, Qt::AlignCenter | Qt::TextWordWrap, failure.message());
        }
    }

private:
    PreviewWindow* preview_;
};

PreviewWindow::PreviewWindow(ReportDocument* report, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), report_(report), pages_(report), dialogs_(dialogs),
      scroll_(new QScrollArea(this)), page_widget_(nullptr), pageLabel_(new QLabel(this)) {
    setObjectName(QStringLiteral("QRPreview"));
    setWindowTitle(QStringLiteral("Просмотр отчёта"));
    setWindowIcon(Artwork::ApplicationIcon());
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinMaxButtonsHint);
    resize(820, 720);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto add = [&](const char* name, const QString& text, auto slot) {
        QAction* action = bar->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add("ZoomFit", QStringLiteral("Лист"), [this] {
        SetZoom(Zoom::Fit);
    })->setToolTip(QStringLiteral("Показать лист целиком"));
    add("Zoom100", QStringLiteral("100 %"), [this] {
        SetZoom(Zoom::Actual);
    })->setToolTip(QStringLiteral("Натуральная величина"));
    add("ZoomWidth", QStringLiteral("Ширина"), [this] {
        SetZoom(Zoom::Width);
    })->setToolTip(QStringLiteral("По ширине окна"));
    bar->addSeparator();
    first_ = add("FirstPage", QStringLiteral("|<"), [this] { ShowPage(0); });
    prior_ = add("PriorPage", QStringLiteral("<"), [this] { ShowPage(page_ - 1); });
    next_ = add("NextPage", QStringLiteral(">"), [this] { ShowPage(page_ + 1); });
    last_ = add("LastPage", QStringLiteral(">|"), [this] { ShowPage(PageCount() - 1); });
    // Beside the page buttons, where a narrow window never pushes it into the overflow.
    bar->addWidget(pageLabel_);
    bar->addSeparator();
    add("PrinterSetup", QStringLiteral("Принтер"), [this] {
        SetUpPrinter();
    })->setToolTip(QStringLiteral("Настройка принтера"));
    add("Print", QStringLiteral("Печать"), [this] { PrintReport(); });
    bar->addSeparator();
    add("Save", QStringLiteral("Сохранить"), [this] { SaveReport(); });
    add("Open", QStringLiteral("Открыть"), [this] { OpenSavedReport(); });
    bar->addSeparator();
    // A tool button shows the caption without its access key: Alt+C is given outright.
    add("Close", QStringLiteral("&Close"), [this] {
        accept();
    })->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    for (auto [action, picture] : {std::pair{first_, Artwork::NavigatorPicture::First},
                                   std::pair{prior_, Artwork::NavigatorPicture::Prior},
                                   std::pair{next_, Artwork::NavigatorPicture::Next},
                                   std::pair{last_, Artwork::NavigatorPicture::Last}})
        action->setIcon(Artwork::NavigatorIcon(picture));
    first_->setToolTip(QStringLiteral("Первая страница"));
    prior_->setToolTip(QStringLiteral("Предыдущая страница"));
    next_->setToolTip(QStringLiteral("Следующая страница"));
    last_->setToolTip(QStringLiteral("Последняя страница"));

    page_widget_ = new PageWidget(this);
    scroll_->setWidget(page_widget_);
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setAccessibleName(QStringLiteral("Страница отчёта"));
    scroll_->setAccessibleDescription(
        QStringLiteral("PageUp и PageDown листают страницы, Ctrl+Home и Ctrl+End ведут к "
                       "первой и последней"));
    scroll_->viewport()->installEventFilter(this); // zoom follows the visible area
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(scroll_);
    ShowPage(0);
}

PreviewWindow::~PreviewWindow() = default;

qint64 PreviewWindow::PageCount() const {
    return pages_ ? pages_->PageCount() : 0;
}

double PreviewWindow::Scale() const {
    const double actual = logicalDpiX() / 25.4;
    if (!pages_)
        return actual;
    const QSizeF mm = pages_->PageSizeMm(page_);
    const QSize view =
        scroll_->viewport()->size() - QSize(2 * PageWidget::Gap + 4, 2 * PageWidget::Gap + 4);
    switch (zoom_) {
    case Zoom::Actual:
        return actual;
    case Zoom::Width:
        return std::max(0.5, view.width() / mm.width());
    case Zoom::Fit:
        return std::max(0.3, std::min(view.width() / mm.width(), view.height() / mm.height()));
    }
    return actual;
}

void PreviewWindow::SetZoom(Zoom zoom) {
    zoom_ = zoom;
    Relayout();
}

void PreviewWindow::ShowPage(qint64 page) {
    page_ = std::clamp<qint64>(page, 0, std::max<qint64>(PageCount() - 1, 0));
    Relayout();
    scroll_->verticalScrollBar()->setValue(0);
    UpdateActions();
}

void PreviewWindow::Relayout() {
    if (!page_widget_ || !pages_)
        return;
    const QRectF sheet = page_widget_->SheetRect();
    page_widget_->resize(
        std::max(scroll_->viewport()->width(), int(sheet.width()) + 2 * PageWidget::Gap + 4),
        int(sheet.height()) + 2 * PageWidget::Gap + 4);
    page_widget_->update();
}

void PreviewWindow::UpdateActions() {
    first_->setEnabled(page_ > 0);
    prior_->setEnabled(page_ > 0);
    next_->setEnabled(page_ + 1 < PageCount());
    last_->setEnabled(page_ + 1 < PageCount());
    pageLabel_->setText(QStringLiteral("  Страница %1 из %2").arg(page_ + 1).arg(PageCount()));
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Relayout();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        Relayout();
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        return ShowPage(page_ + 1);
    case Qt::Key_PageUp:
        return ShowPage(page_ - 1);
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier)
            return ShowPage(0);
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier)
            return ShowPage(PageCount() - 1);
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

QPrinter* PreviewWindow::Printer() {
    try {
        if (!printer_)
            printer_ = Printing::MakePrinter(); // kept: its page set-up holds while this is open
        return printer_.get();
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return nullptr;
    }
}

void PreviewWindow::SetUpPrinter() {
    if (QPrinter* printer = Printer())
        dialogs_.SetUpPrinter(this, *printer);
}

void PreviewWindow::PrintReport() {
    QPrinter* printer = Printer();
    if (!printer ||
        !dialogs_.ChoosePrinter(this, *printer, int(std::min<qint64>(PageCount(), INT_MAX))))
        return;
    try {
        ProgressWindow progress(this, QStringLiteral("Печать отчёта"));
        Printing::Module().print(*pages_, *printer, &progress);
    } catch (const ExportCancelled&) {
        // stopped by the user: the job was withdrawn
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
    }
}

void PreviewWindow::SaveReport() {
    const QString pdf = QStringLiteral("PDF (*.pdf)");
    const QString csv = QStringLiteral("CSV (*.csv)");
    if (!report_) {
        dialogs_.Message(this, QStringLiteral("Открытый отчёт уже сохранён в своём файле."));
        return;
    }
    QString filter;
    QString path = dialogs_.SaveFileName(this, QStringLiteral("Сохранить отчёт"),
                                         pdf + QStringLiteral(";;") + csv, &filter);
    if (path.isEmpty())
        return;
    const bool asCsv = filter == csv || path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    if (!path.contains(QLatin1Char('.')))
        path += asCsv ? QStringLiteral(".csv") : QStringLiteral(".pdf");
    // The program runs in its data folder: a report never takes the place of its files.
    const QString data = QDir::currentPath();
    const ReportExport::ReportTarget target{
        path, ReportExport::ProgramFiles(data), {ReportExport::BackupFolder(data)}};
    try {
        ProgressWindow progress(this, QStringLiteral("Сохранение отчёта"));
        if (asCsv)
            ReportExport::WriteCsv(*report_, target, &progress);
        else
            ReportExport::WritePdf(*report_, target, &progress);
    } catch (const ExportCancelled&) {
        // stopped by the user: no file written, one that was there kept
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
    }
}

void PreviewWindow::OpenSavedReport() {
    const QString path =
        dialogs_.OpenFileName(this, QStringLiteral("Открыть отчёт"), QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty())
        OpenSavedReport(path);
}

void PreviewWindow::OpenSavedReport(const QString& path) {
    // The program's own files are not read here: closing a descriptor of data.db would drop
    // the locks SQLite holds on it.
    if (const auto identity = FactsOf(path).identity)
        for (const QString& file : ReportExport::ProgramFiles(QDir::currentPath()))
            if (FactsOf(file).identity == identity) {
                dialogs_.Error(this, QStringLiteral("«%1» — файл данных программы, а не отчёт "
                                                    "PDF; он не открывается.")
                                         .arg(QDir::toNativeSeparators(path)));
                return;
            }
    try {
        saved_ = OpenSavedPdf(path);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    pages_ = saved_.get();
    report_ = nullptr; // saving applies to the live report only
    setWindowTitle(QStringLiteral("Просмотр отчёта — %1").arg(QFileInfo(path).fileName()));
    ShowPage(0);
}
