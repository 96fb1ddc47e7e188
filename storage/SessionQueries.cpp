// The session table's reads for display and reports: the view's pages and count, a report's
// fixed ranges, the per-day totals.
#include "Failure.h"
#include "SessionStatements.h"

#include <QDir>
#include <algorithm>

bool SessionTable::DaysByScan() const {
    CheckTotals();
    return daysByScan_;
}

std::vector<DayTotal> SessionTable::DayTotalsIn(const QDate& from, const QDate& to) const {
    ReadStatements();
    CheckTotals();
    return file_.Guarded(QStringLiteral("прочитать"),
                         [&] { return DayTotals::Read(file_.Db(), from, to, daysByScan_); });
}

qint64 SessionTable::RowCount() const {
    if (!count_) {
        const StatementUse s(ReadStatements().count);
        count_ = file_.Guarded(QStringLiteral("прочитать"), [&] {
            BindFilter(*s);
            s->Bind(3, qint64(countByScan_)).Step();
            return s->Int(0);
        });
    }
    return *count_;
}

std::vector<SessionRow> SessionTable::ReadRows(qint64 offset, int count) const {
    std::vector<SessionRow> rows;
    const StatementUse s(ReadStatements().page);
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        BindFilter(*s);
        s->Bind(3, qint64(count)).Bind(4, offset);
        while (s->Step())
            rows.push_back(SessionSql::ReadRow(*s));
    });
    return rows;
}

qint64 SessionTable::OffsetOf(qint64 id) const {
    if (!Fetch(Seek::Exact, id))
        return -1;
    return file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse s(*ReadStatements().offsetOf);
        BindFilter(*s);
        s->Bind(3, id).Step();
        return s->Int(0);
    });
}

namespace {
// Binds ?1 and ?2 (the dates) and ?3 (the newest row) of a range query.
void BindRange(SqliteStatement& s, const SessionRange& range) {
    if (range.from && range.to) {
        s.Bind(1, range.from->toString(Qt::ISODate));
        s.Bind(2, range.to->toString(Qt::ISODate));
    }
    s.Bind(3, range.maxId);
}
} // namespace

SessionRange SessionTable::CurrentRange() const {
    SessionRange range;
    if (filter_) {
        range.from = filter_->first;
        range.to = filter_->second;
    }
    const StatementUse s(ReadStatements().maxId);
    range.maxId = file_.Guarded(QStringLiteral("прочитать"), [&] {
        s->Step();
        return s->Int(0);
    });
    return range;
}

qint64 SessionTable::CountIn(const SessionRange& range) const {
    return file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse s(*ReadStatements().rangeCount);
        BindRange(*s, range);
        s->Step();
        return s->Int(0);
    });
}

std::vector<SessionRow> SessionTable::RowsIn(const SessionRange& range, qint64 offset,
                                             int count) const {
    std::vector<SessionRow> rows;
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse s(*ReadStatements().rangePage);
        BindRange(*s, range);
        s->Bind(4, qint64(count)).Bind(5, offset);
        while (s->Step())
            rows.push_back(SessionSql::ReadRow(*s));
    });
    return rows;
}

std::vector<SessionRow> SessionTable::RowsBelow(const SessionRange& range, qint64 belowId,
                                                int count) const {
    // The range cut below the row: the walk starts right there and reads only `count`.
    SessionRange below = range;
    below.maxId = std::min(range.maxId, belowId - 1);
    return RowsIn(below, 0, count);
}

void SessionTable::ForEachChargeIn(
    const SessionRange& range,
    const std::function<void(QByteArrayView, QByteArrayView)>& visit) const {
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse s(*ReadStatements().rangeCharges); // reset also when `visit` throws
        BindRange(*s, range);
        while (s->Step())
            visit(s->Bytes(0), s->Bytes(1));
    });
}
