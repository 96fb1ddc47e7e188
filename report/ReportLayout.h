#pragma once
// The banded report on A4 portrait with 10 mm margins: the column captions once at the top
// of the first page, one 5.8 mm line per record, and the summary line after the last one.
// Every band has a fixed height, so the pages follow from the number of records alone.

#include "storage/SessionRecord.h"

#include <QFont>
#include <QHash>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QPaintDevice;
class QPainter;

namespace ReportLayout {

// Lengths in tenths of a millimetre, so that the page arithmetic is exact.
constexpr int PageWidth = 2100;
constexpr int PageHeight = 2970;
constexpr int Margin = 100;
constexpr int UsableHeight = PageHeight - 2 * Margin;
constexpr int CaptionBand = 61;
constexpr int DetailBand = 58;
constexpr int SummaryBand = 58;

// What one page holds.
struct Page {
    qint64 firstRow = 0; // index of its first record line in the report's order
    int rows = 0;
    bool captions = false;
    bool summary = false;
    bool operator==(const Page&) const = default;
};

int RowsOnFirstPage();
int RowsOnOtherPages();
qint64 PageCount(qint64 records);
Page PageAt(qint64 records, qint64 page);

struct Summary {
    QString money; // "30,1666666666667"
    QString time;  // "Общ. время работы - 1:30:30"
    // The records' traffic in two columns after the sums, its totals under them: only while
    // the grid shows it. The totals are none when no record of the report has its traffic.
    bool showTraffic = false;
    std::optional<Traffic> traffic = {};
};

// The report's face: Arial 8 pt, or the metric-compatible face this system has.
QFont ReportFont();

// What a report has measured of its font, in each size and resolution once: the ascent, and
// the width of each text measured. Each measurement looks up the font's face afresh, and
// measuring a text shapes it, which cost about as much as painting it.
class TextMeasures {
public:
    struct InFont {
        std::optional<double> ascent;
        QHash<QString, double> widths;
    };
    // Those of `font` on a device of the kind and resolution of `device`.
    InFont& In(const QFont& font, const QPaintDevice* device);

private:
    QHash<QString, InFont> byFont_;
};

// Paints one page into `target` (the whole sheet, in device units of the painter), with the
// records of that page in order; the font is measured through `measures`.
void PaintPage(QPainter& painter, const QRectF& target, const Page& page,
               const std::vector<SessionRecord>& records, const Summary& summary,
               TextMeasures& measures);

} // namespace ReportLayout
