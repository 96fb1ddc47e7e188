#include "ReportPrint.h"

#include "ExportProgress.h"
#include "PageSource.h"
#include "storage/Failure.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace ReportExport {

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

} // namespace ReportExport
