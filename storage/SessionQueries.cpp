#include "SessionStatements.h"
#include "Failure.h"

#include <QDir>
#include <algorithm>

bool SessionTable::DaysByScan() const {
    CheckTotals();
    return daysByScan_;
}

SessionTable::Writes& SessionTable::Wr() {
    St();
    if (!writes_) {
        CheckTotals();
        try {
            writes_ = std::make_unique<Writes>(db_);
        } catch (const SqliteError& error) {
            Fail(QStringLiteral("открыть"), error);
        }
    }
    return *writes_;
}

std::vector<DayTotal> SessionTable::DayTotalsIn(const QDate& from, const QDate& to) const {
    St();
    CheckTotals();
    try {
        return DayTotals::Read(db_, from, to, daysByScan_);
    } catch (const SqliteError& error) {
        Fail(QStringLiteral("прочитать"), error);
    }
}

qint64 SessionTable::RowCount() const {
    if (!count_) {
        try {
            BindFilter(St().count);
            St().count.Bind(3, qint64(countByScan_));
            St().count.Step();
            count_ = St().count.Int(0);
            St().count.Reset();
        } catch (const SqliteError& error) {
            St().count.Reset();
            Fail(QStringLiteral("прочитать"), error);
        }
    }
    return *count_;
}

std::vector<SessionRow> SessionTable::ReadRows(qint64 offset, int count) const {
    std::vector<SessionRow> rows;
    try {
        BindFilter(St().page);
        St().page.Bind(3, qint64(count)).Bind(4, offset);
        while (St().page.Step())
            rows.push_back(SessionSql::ReadRow(St().page));
        St().page.Reset();
    } catch (const SqliteError& error) {
        St().page.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    return rows;
}

qint64 SessionTable::OffsetOf(qint64 id) const {
    if (!Fetch(Seek::Exact, id))
        return -1;
    try {
        BindFilter(St().offsetOf);
        St().offsetOf.Bind(3, id);
        St().offsetOf.Step();
        const qint64 offset = St().offsetOf.Int(0);
        St().offsetOf.Reset();
        return offset;
    } catch (const SqliteError& error) {
        St().offsetOf.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
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
    try {
        St().maxId.Step();
        range.maxId = St().maxId.Int(0);
        St().maxId.Reset();
    } catch (const SqliteError& error) {
        St().maxId.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    return range;
}

qint64 SessionTable::CountIn(const SessionRange& range) const {
    SqliteStatement& s = St().rangeCount;
    try {
        BindRange(s, range);
        s.Step();
        const qint64 count = s.Int(0);
        s.Reset();
        return count;
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
}

std::vector<SessionRow> SessionTable::RowsIn(const SessionRange& range, qint64 offset,
                                             int count) const {
    SqliteStatement& s = St().rangePage;
    std::vector<SessionRow> rows;
    try {
        BindRange(s, range);
        s.Bind(4, qint64(count)).Bind(5, offset);
        while (s.Step())
            rows.push_back(SessionSql::ReadRow(s));
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
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
    SqliteStatement& s = St().rangeCharges;
    try {
        BindRange(s, range);
        while (s.Step())
            visit(s.Bytes(0), s.Bytes(1));
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    } catch (...) {
        s.Reset();
        throw;
    }
}
