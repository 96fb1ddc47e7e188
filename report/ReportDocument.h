#pragma once
// The report over a fixed range of the session table: its pages, painted on demand from the
// rows of that page alone, so the report of a million records opens as fast as one page.

#include "PageSource.h"
#include "ReportLayout.h"
#include "storage/SessionTable.h"

#include <functional>
#include <list>
#include <map>

// The summary of a range: its totals, and its traffic when `traffic` (the grid shows it).
// Throws Failure as ReportTotals does.
ReportLayout::Summary ReportSummary(const SessionTable& table, const SessionRange& range,
                                    bool traffic);

class ReportDocument final : public PageSource {
public:
    ReportDocument(const SessionTable& table, SessionRange range, ReportLayout::Summary summary);

    qint64 Records() const { return records_; }
    qint64 PageCount() const override { return pages_; }
    void Paint(QPainter& painter, qint64 page, const QRectF& target) override;
    const ReportLayout::Summary& Summary() const { return summary_; }
    ReportLayout::TextMeasures& Measures() { return measures_; }

    // The records of pages first..last in order, read through once (for printing and saving).
    void
    ForEachPage(qint64 first, qint64 last,
                const std::function<void(qint64, const std::vector<SessionRecord>&)>& visit) const;
    // Every record of the report in order, a page's worth at a time.
    void ForEachRecord(const std::function<void(const SessionRecord&)>& visit) const;

private:
    const std::vector<SessionRecord>& RecordsOf(qint64 page);

    const SessionTable& table_;
    SessionRange range_;
    ReportLayout::Summary summary_;
    qint64 records_;
    qint64 pages_;
    std::map<qint64, std::vector<SessionRecord>> cache_; // a few pages, for paging to and fro
    std::list<qint64> recent_;
    ReportLayout::TextMeasures measures_; // for as long as the report is open
};
