#pragma once
// Pages that the preview shows and printing writes, one at a time, on demand.

#include <QRectF>

class QPainter;

class PageSource {
public:
    virtual ~PageSource() = default;
    virtual qint64 PageCount() const = 0;
    // Paints a page onto `target`, the whole sheet in the painter's coordinates.
    virtual void Paint(QPainter& painter, qint64 page, const QRectF& target) = 0;
    // A4 portrait unless a loaded document says otherwise.
    virtual QSizeF PageSizeMm(qint64) const { return {210, 297}; }
};
