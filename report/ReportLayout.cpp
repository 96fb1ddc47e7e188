#include "ReportLayout.h"

#include "spend/SpendFigures.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace ReportLayout {

int RowsOnFirstPage() {
    return (UsableHeight - CaptionBand) / DetailBand;
}
int RowsOnOtherPages() {
    return UsableHeight / DetailBand;
}

qint64 PageCount(qint64 records) {
    const qint64 first = RowsOnFirstPage();
    const qint64 other = RowsOnOtherPages();
    qint64 pages = 1;
    qint64 used = CaptionBand + std::min(records, first) * DetailBand; // on the last page
    if (records > first) {
        const qint64 rest = records - first;
        const qint64 further = (rest + other - 1) / other;
        pages += further;
        used = (rest - (further - 1) * other) * DetailBand;
    }
    // The summary follows the last line, on a page of its own when that one is full.
    return used + SummaryBand > UsableHeight ? pages + 1 : pages;
}

Page PageAt(qint64 records, qint64 page) {
    Page p;
    const qint64 first = RowsOnFirstPage();
    if (page == 0) {
        p.captions = true;
        p.firstRow = 0;
        p.rows = int(std::min(records, first));
    } else {
        p.firstRow = first + (page - 1) * RowsOnOtherPages();
        p.rows = int(std::clamp<qint64>(records - p.firstRow, 0, RowsOnOtherPages()));
        p.firstRow = std::min(p.firstRow, records);
    }
    p.summary = page == PageCount(records) - 1;
    return p;
}

QFont ReportFont() {
    QFont font;
    // Liberation Sans has Arial's metrics, so the columns keep their places.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8);
    return font;
}

TextMeasures::InFont& TextMeasures::In(const QFont& font, const QPaintDevice* device) {
    QString key = font.key();
    if (device)
        key += QStringLiteral("@%1/%2").arg(device->devType()).arg(device->logicalDpiY());
    return byFont_[key];
}

namespace {

struct Column {
    QString caption;
    int captionLeft;
    int captionWidth; // 0: as wide as its text, no rule
    int valueLeft;
    int valueWidth; // 0: as wide as its text
};

const std::vector<Column>& Columns() {
    static const std::vector<Column> columns = {
        {QStringLiteral("Дата входа"), 3, 169, 3, 188},
        {QStringLiteral("Время входа"), 259, 188, 259, 188},
        {QStringLiteral("Время выхода"), 516, 206, 516, 188},
        {QStringLiteral("Продолжительность"), 815, 288, 815, 188},
        {QStringLiteral("Тариф"), 1151, 0, 1172, 0},
        {QStringLiteral("Сумма"), 1320, 0, 1341, 0},
    };
    return columns;
}

// Dates and times (at most ten digits, colons and points) fit their 18.8 mm with room to
// spare, so only other texts are measured: measuring shapes the text a second time.
bool MayOverflow(const QString& s) {
    if (s.size() > 10)
        return true;
    for (const QChar c : s)
        if (!c.isDigit() && c != QLatin1Char(':') && c != QLatin1Char('.'))
            return true;
    return false;
}

// Writes the page's texts: each stands on its baseline at its top plus the ascent, at a
// position in tenths of a millimetre from the top left corner inside the margins.
class PageText {
public:
    PageText(QPainter& painter, const QRectF& target, TextMeasures& measures)
        : painter_(painter), target_(target), unit_(target.width() / PageWidth) {
        QFont font = ReportFont();
        // 8 points are 8/72 inch: in tenths of a millimetre, 28.2.
        const double dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
        font.setPointSizeF(28.2222 * unit_ * 72.0 / dpi);
        painter.setFont(font);
        painter.setPen(Qt::black);
        metrics_.emplace(font, painter.device());
        measured_ = &measures.In(font, painter.device());
        if (!measured_->ascent)
            measured_->ascent = metrics_->ascent();
    }

    double Unit() const { return unit_; }
    double X(int tenths) const { return target_.left() + (Margin + tenths) * unit_; }
    double Y(int tenths) const { return target_.top() + (Margin + tenths) * unit_; }

    // A field of fixed width is cut at its edge, which our texts hardly ever reach; the
    // others are as wide as their text.
    void Left(int left, int width, int top, const QString& s) {
        const QPointF at(X(left), Y(top) + *measured_->ascent);
        if (width && MayOverflow(s) && WidthOf(s) > width * unit_) {
            painter_.save();
            painter_.setClipRect(QRectF(X(left), Y(top), width * unit_, 40 * unit_),
                                 Qt::IntersectClip);
            painter_.drawText(at, s);
            painter_.restore();
        } else {
            painter_.drawText(at, s);
        }
    }
    // An amount, as wide as its text, ending at `right`.
    void Right(int right, int top, const QString& s) {
        if (!s.isEmpty())
            painter_.drawText(QPointF(X(right) - WidthOf(s), Y(top) + *measured_->ascent), s);
    }

private:
    double WidthOf(const QString& s) {
        auto known = measured_->widths.constFind(s);
        if (known == measured_->widths.cend())
            known = measured_->widths.insert(s, metrics_->horizontalAdvance(s));
        return *known;
    }

    QPainter& painter_;
    QRectF target_;
    double unit_; // device units per tenth of a mm
    std::optional<QFontMetricsF> metrics_;
    TextMeasures::InFont* measured_;
};

// The traffic's columns, right-aligned at these edges, after the sums; "" for a record
// whose traffic was not counted.
struct TrafficColumn {
    QString caption;
    int right;
};
const TrafficColumn Received{QStringLiteral("Принято"), 1740};
const TrafficColumn Sent{QStringLiteral("Передано"), 1900};
QString Mebibytes(const std::optional<Traffic>& traffic, quint64 Traffic::*bytes) {
    return traffic ? MebibytesText(double((*traffic).*bytes) / double(TrafficTerms::Mebibyte))
                   : QString();
}

void PaintCaptions(QPainter& painter, PageText& text, bool traffic) {
    QPen rule(Qt::black);
    rule.setWidthF(std::max(1.0, 2 * text.Unit()));
    for (const Column& c : Columns()) {
        text.Left(c.captionLeft, c.captionWidth, 21, c.caption);
        if (c.captionWidth) {
            painter.save();
            painter.setPen(rule);
            // The caption's bottom frame, drawn inside its 4 mm so it clears the first line.
            const double ruleY = text.Y(21 + 37);
            painter.drawLine(QPointF(text.X(c.captionLeft), ruleY),
                             QPointF(text.X(c.captionLeft + c.captionWidth), ruleY));
            painter.restore();
        }
    }
    if (traffic)
        for (const TrafficColumn& c : {Received, Sent})
            text.Right(c.right, 21, c.caption);
}

} // namespace

void PaintPage(QPainter& painter, const QRectF& target, const Page& page,
               const std::vector<SessionRecord>& records, const Summary& summary,
               TextMeasures& measures) {
    painter.save();
    PageText text(painter, target, measures);
    int top = 0;
    if (page.captions) {
        PaintCaptions(painter, text, summary.showTraffic);
        top += CaptionBand;
    }
    for (int i = 0; i < page.rows && i < int(records.size()); ++i) {
        const SessionRecord& record = records[std::size_t(i)];
        for (int column = 0; column < 6; ++column) {
            const Column& c = Columns()[std::size_t(column)];
            text.Left(c.valueLeft, c.valueWidth, top, record.FieldText(column));
        }
        if (summary.showTraffic) {
            text.Right(Received.right, top, Mebibytes(record.traffic, &Traffic::rx));
            text.Right(Sent.right, top, Mebibytes(record.traffic, &Traffic::tx));
        }
        top += DetailBand;
    }
    if (page.summary) {
        text.Left(127, 0, top + 21, QStringLiteral("Итого - "));
        text.Left(254, 0, top + 21, summary.money);
        text.Left(614, 0, top + 21, summary.time);
        if (summary.showTraffic) { // the totals under their columns
            text.Right(Received.right, top + 21, Mebibytes(summary.traffic, &Traffic::rx));
            text.Right(Sent.right, top + 21, Mebibytes(summary.traffic, &Traffic::tx));
        }
    }
    painter.restore();
}

} // namespace ReportLayout
