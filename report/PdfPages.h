#pragma once
// A report saved earlier as PDF, shown in the same preview and printable again.

#include "PageSource.h"

#include <QString>
#include <memory>

namespace Poppler {
class Document;
}

class PdfPages final : public PageSource {
public:
    // Throws Failure naming the file when it is no readable PDF.
    explicit PdfPages(const QString& path);
    ~PdfPages() override;

    qint64 PageCount() const override;
    void Paint(QPainter& painter, qint64 page, const QRectF& target) override;
    QSizeF PageSizeMm(qint64 page) const override;

private:
    std::unique_ptr<Poppler::Document> document_;
};
