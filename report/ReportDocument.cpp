#include "ReportDocument.h"

#include "ReportTotals.h"

namespace {
constexpr std::size_t KeptPages = 4;

std::vector<SessionRecord> RecordsFrom(const std::vector<SessionRow>& rows) {
    std::vector<SessionRecord> records;
    records.reserve(rows.size());
    for (const SessionRow& row : rows)
        records.push_back(row.record);
    return records;
}
} // namespace

ReportLayout::Summary ReportSummary(const SessionTable& table, const SessionRange& range,
                                    bool traffic) {
    const ReportTotals totals = ReportTotals::Of(table, range);
    ReportLayout::Summary summary{totals.MoneyText(), totals.TimeText()};
    summary.showTraffic = traffic;
    if (traffic)
        summary.traffic = ReportTotals::TrafficOf(table, range);
    return summary;
}

ReportDocument::ReportDocument(const SessionTable& table, SessionRange range,
                               ReportLayout::Summary summary)
    : table_(table), range_(std::move(range)), summary_(std::move(summary)),
      records_(table.CountIn(range_)), pages_(ReportLayout::PageCount(records_)) {}

const std::vector<SessionRecord>& ReportDocument::RecordsOf(qint64 page) {
    auto found = cache_.find(page);
    if (found == cache_.end()) {
        const ReportLayout::Page p = ReportLayout::PageAt(records_, page);
        found = cache_.emplace(page, RecordsFrom(table_.RowsIn(range_, p.firstRow, p.rows))).first;
        recent_.push_front(page);
        if (recent_.size() > KeptPages) {
            cache_.erase(recent_.back());
            recent_.pop_back();
        }
    }
    return found->second;
}

void ReportDocument::Paint(QPainter& painter, qint64 page, const QRectF& target) {
    if (page < 0 || page >= pages_)
        return;
    ReportLayout::PaintPage(painter, target, ReportLayout::PageAt(records_, page), RecordsOf(page),
                            summary_, measures_);
}

void ReportDocument::ForEachPage(
    qint64 first, qint64 last,
    const std::function<void(qint64, const std::vector<SessionRecord>&)>& visit) const {
    first = std::max<qint64>(first, 0);
    last = std::min(last, pages_ - 1);
    if (first > last)
        return;
    // One jump to the first page, then each page read on from the row before it.
    const ReportLayout::Page start = ReportLayout::PageAt(records_, first);
    std::vector<SessionRow> rows = table_.RowsIn(range_, start.firstRow, start.rows);
    for (qint64 page = first;; ++page) {
        visit(page, RecordsFrom(rows));
        if (page == last)
            break;
        const ReportLayout::Page next = ReportLayout::PageAt(records_, page + 1);
        rows = rows.empty() || next.rows == 0 ? std::vector<SessionRow>{}
                                              : table_.RowsBelow(range_, rows.back().id, next.rows);
    }
}

void ReportDocument::ForEachRecord(const std::function<void(const SessionRecord&)>& visit) const {
    ForEachPage(0, pages_ - 1, [&](qint64, const std::vector<SessionRecord>& records) {
        for (const SessionRecord& r : records)
            visit(r);
    });
}
