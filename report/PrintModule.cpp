// The module kelvora_print: Qt's print support behind the entries of ui/Printing.h. The
// program loads it when the first page set-up or print is asked for.

#include "ExportProgress.h"
#include "PageSource.h"
#include "storage/Failure.h"
#include "ui/Printing.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

namespace {

QPrinter* Make() {
    auto* printer = new QPrinter(QPrinter::HighResolution);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

void Destroy(QPrinter* printer) {
    delete printer;
}

bool SetUp(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool Choose(QWidget* parent, QPrinter& printer, int pageCount) {
    printer.setFromTo(0, 0); // the last print's pages are not offered again
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, pageCount));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

void Print(PageSource& pages, QPrinter& printer, ExportProgress* progress) {
    printer.setFullPage(true);
    qint64 first = 0;
    qint64 last = pages.PageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::min<qint64>(last, printer.toPage() > 0 ? printer.toPage() - 1 : last);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw Failure(QStringLiteral("Не удалось начать печать на принтере «%1».")
                          .arg(printer.printerName()));
    const QRectF sheet = printer.paperRect(QPrinter::DevicePixel);
    ProgressScope steps(progress, last - first + 1, QStringLiteral("Страница"));
    for (qint64 page = first; page <= last; ++page) {
        try {
            steps.Advance(page - first);
        } catch (const ExportCancelled&) {
            printer.abort();
            throw;
        }
        if (page > first)
            printer.newPage();
        pages.Paint(painter, page, QRectF(0, 0, sheet.width(), sheet.height()));
    }
    painter.end();
}

const Printing::Entries Entries{Make, Destroy, SetUp, Choose, Print};

} // namespace

extern "C" Q_DECL_EXPORT const Printing::Entries* KelvoraPrinting() {
    return &Entries;
}
