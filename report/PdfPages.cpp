#include "PdfPages.h"

#include "storage/Failure.h"

#include <QDir>
#include <QPainter>
#include <poppler-qt6.h>

PdfPages::PdfPages(const QString& path) : document_(Poppler::Document::load(path)) {
    if (!document_ || document_->isLocked() || document_->numPages() == 0)
        throw Failure(QStringLiteral("Файл «%1» не открыт: это не отчёт в формате PDF, или он "
                                     "повреждён.")
                          .arg(QDir::toNativeSeparators(path)));
    document_->setRenderHint(Poppler::Document::Antialiasing);
    document_->setRenderHint(Poppler::Document::TextAntialiasing);
}

PdfPages::~PdfPages() = default;

qint64 PdfPages::PageCount() const {
    return document_->numPages();
}

QSizeF PdfPages::PageSizeMm(qint64 page) const {
    const std::unique_ptr<Poppler::Page> p(document_->page(int(page)));
    if (!p)
        return {210, 297};
    const QSizeF points = p->pageSizeF();
    return points * 25.4 / 72.0;
}

void PdfPages::Paint(QPainter& painter, qint64 page, const QRectF& target) {
    const std::unique_ptr<Poppler::Page> p(document_->page(int(page)));
    if (!p)
        return;
    // Rendered at the resolution the target needs on the device, then drawn into place.
    const QRectF device = painter.transform().mapRect(target);
    const QSizeF points = p->pageSizeF();
    const double dpi = 72.0 * device.width() / points.width();
    const QImage image = p->renderToImage(dpi, dpi);
    painter.drawImage(target, image);
}

// The entry point of this module, which the program loads only when a saved report is
// opened: poppler and what it brings stay out of memory until then.
extern "C" Q_DECL_EXPORT PageSource* KelvoraOpenPdf(const QString& path, QString* error) {
    try {
        return new PdfPages(path);
    } catch (const Failure& failure) {
        *error = failure.message();
        return nullptr;
    }
}
