#include "SessionTable.h"

#include "Failure.h"
#include "TableFile.h"
#include "TextForms.h"

#include <QDir>

const QString SessionTable::FileName = QStringLiteral("data.db");

QString SessionRecord::FieldText(int index) const {
    switch (index) {
    case 0:
        return TextForms::DateText(data);
    case 1:
        return wremN;
    case 2:
        return wremW;
    case 3:
        return itogo;
    case 4:
        return tarif;
    default:
        return summ;
    }
}
const QStringList SessionTable::FieldNames = {
    QStringLiteral("Data"),  QStringLiteral("WremN"), QStringLiteral("WremW"),
    QStringLiteral("Itogo"), QStringLiteral("Tarif"), QStringLiteral("Summ")};

namespace {

// Version 2 adds the segment being timed: one row at most, kept at every poll.
#define OPEN_SEGMENT                                                                           \
    "CREATE TABLE open_segment(id INTEGER PRIMARY KEY CHECK (id = 1), StartDate TEXT NOT NULL, " \
    "StartTime INTEGER NOT NULL, LastDate TEXT NOT NULL, LastTime INTEGER NOT NULL, "           \
    "Rate TEXT NOT NULL)"

// Version 2 also keeps the number of records, so the grid knows it at once instead of
// counting a million rows; triggers keep it right whoever writes the table.
#define SESSION_COUNT                                                                          \
    "CREATE TABLE session_count(n INTEGER NOT NULL); "                                         \
    "INSERT INTO session_count(n) SELECT count(*) FROM session; "                               \
    "CREATE TRIGGER session_counted AFTER INSERT ON session "                                  \
    "BEGIN UPDATE session_count SET n = n + 1; END; "                                          \
    "CREATE TRIGGER session_uncounted AFTER DELETE ON session "                                 \
    "BEGIN UPDATE session_count SET n = n - 1; END"

const TableSchema Schema{
    SessionTable::FileName,
    QStringLiteral("session"),
    {QStringLiteral("id"), QStringLiteral("Data"), QStringLiteral("WremN"),
     QStringLiteral("WremW"), QStringLiteral("Itogo"), QStringLiteral("Tarif"),
     QStringLiteral("Summ")},
    2,
    "CREATE TABLE session(id INTEGER PRIMARY KEY AUTOINCREMENT, Data TEXT NOT NULL, "
    "WremN TEXT NOT NULL, WremW TEXT NOT NULL, Itogo TEXT NOT NULL, Tarif TEXT NOT NULL, "
    "Summ TEXT NOT NULL); " OPEN_SEGMENT "; " SESSION_COUNT,
    {OPEN_SEGMENT "; " SESSION_COUNT}};

// ?1 and ?2 are the filter's ends as ISO dates, NULL when no filter is set.
#define IN_VIEW "(?1 IS NULL OR (Data >= ?1 AND Data <= ?2))"
#define COLUMNS "SELECT id, Data, WremN, WremW, Itogo, Tarif, Summ FROM session "

SessionRow ReadRow(const SqliteStatement& s) {
    return {s.Int(0),
            {QDate::fromString(s.Text(1), Qt::ISODate), s.Text(2), s.Text(3), s.Text(4),
             s.Text(5), s.Text(6)}};
}

} // namespace

struct SessionTable::Statements {
    explicit Statements(const SqliteDatabase& db)
        : insert(db, "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6)"),
          remove(db, "DELETE FROM session WHERE id = ?1"),
          first(db, COLUMNS "WHERE " IN_VIEW " ORDER BY id DESC LIMIT 1"),
          older(db, COLUMNS "WHERE id < ?3 AND " IN_VIEW " ORDER BY id DESC LIMIT 1"),
          newer(db, COLUMNS "WHERE id > ?3 AND " IN_VIEW " ORDER BY id ASC LIMIT 1"),
          exact(db, COLUMNS "WHERE id = ?3 AND " IN_VIEW),
          count(db, "SELECT CASE WHEN ?1 IS NULL THEN (SELECT n FROM session_count) ELSE "
                    "(SELECT count(*) FROM session WHERE " IN_VIEW ") END"),
          page(db, COLUMNS "WHERE " IN_VIEW " ORDER BY id DESC LIMIT ?3 OFFSET ?4"),
          offsetOf(db, "SELECT count(*) FROM session WHERE id > ?3 AND " IN_VIEW),
          maxId(db, "SELECT ifnull(max(id), 0) FROM session"),
          rangeCount(db, "SELECT count(*) FROM session WHERE id <= ?3 AND " IN_VIEW),
          rangePage(db, COLUMNS "WHERE id <= ?3 AND " IN_VIEW
                            " ORDER BY id DESC LIMIT ?4 OFFSET ?5"),
          rangeCharges(db, "SELECT Summ, Itogo FROM session WHERE id <= ?3 AND " IN_VIEW
                           " ORDER BY id DESC"),
          keepOpen(db, "INSERT OR REPLACE INTO open_segment(id, StartDate, StartTime, LastDate, "
                       "LastTime, Rate) VALUES(1, ?1, ?2, ?3, ?4, ?5)"),
          closeOpen(db, "DELETE FROM open_segment"),
          readOpen(db, "SELECT StartDate, StartTime, LastDate, LastTime, Rate FROM open_segment") {}
    SqliteStatement insert, remove, first, older, newer, exact, count, page, offsetOf, maxId,
        rangeCount, rangePage, rangeCharges, keepOpen, closeOpen, readOpen;
};

SessionTable::SessionTable(const QString& dir, QObject* parent)
    : QObject(parent), path_(QDir(dir).filePath(FileName)), db_(OpenTableFile(dir, Schema)) {
    try {
        st_ = std::make_unique<Statements>(db_);
    } catch (const SqliteError& error) {
        Fail(QStringLiteral("открыть"), error);
    }
    First();
}

SessionTable::~SessionTable() = default;

void SessionTable::Fail(const QString& action, const SqliteError& error) const {
    throw Failure(TableFailureText(path_, action, error));
}

void SessionTable::BindFilter(SqliteStatement& statement) const {
    if (filter_) {
        statement.Bind(1, filter_->first.toString(Qt::ISODate));
        statement.Bind(2, filter_->second.toString(Qt::ISODate));
    }
}

std::optional<SessionRow> SessionTable::Fetch(Seek seek, qint64 id) const {
    SqliteStatement& s = seek == Seek::First   ? st_->first
                         : seek == Seek::Older ? st_->older
                         : seek == Seek::Newer ? st_->newer
                                               : st_->exact;
    try {
        BindFilter(s);
        if (seek != Seek::First)
            s.Bind(3, id);
        std::optional<SessionRow> row;
        if (s.Step())
            row = ReadRow(s);
        s.Reset();
        return row;
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
}

void SessionTable::SetCurrent(std::optional<SessionRow> row) {
    current_ = std::move(row);
    eof_ = !current_;
}

void SessionTable::Append(const SessionRecord& record) { Store(&record, std::nullopt, false); }

void SessionTable::Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) {
    Store(&record, stillOpen, true);
}

void SessionTable::Checkpoint(const std::optional<OpenSegment>& open) { Store(nullptr, open, true); }

std::optional<OpenSegment> SessionTable::LeftOpen() {
    SqliteStatement& s = st_->readOpen;
    try {
        std::optional<OpenSegment> open;
        if (s.Step())
            open = OpenSegment{QDate::fromString(s.Text(0), Qt::ISODate), int(s.Int(1)),
                               QDate::fromString(s.Text(2), Qt::ISODate), int(s.Int(3)),
                               s.Text(4)};
        s.Reset();
        if (open && (!open->startDate.isValid() || !open->lastDate.isValid()))
            open.reset(); // written by hand into something unreadable: nothing to recover
        return open;
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
}

void SessionTable::Store(const SessionRecord* record, const std::optional<OpenSegment>& open,
                         bool keepOpen) {
    try {
        SqliteTransaction transaction(db_);
        if (record) {
            const SessionRecord& r = *record;
            st_->insert.Bind(1, r.data.toString(Qt::ISODate))
                .Bind(2, r.wremN)
                .Bind(3, r.wremW)
                .Bind(4, r.itogo)
                .Bind(5, r.tarif)
                .Bind(6, r.summ);
            st_->insert.Run();
        }
        if (keepOpen && open) {
            st_->keepOpen.Bind(1, open->startDate.toString(Qt::ISODate))
                .Bind(2, qint64(open->startMsecs))
                .Bind(3, open->lastDate.toString(Qt::ISODate))
                .Bind(4, qint64(open->lastMsecs))
                .Bind(5, open->rate);
            st_->keepOpen.Run();
        } else if (keepOpen) {
            st_->closeOpen.Run();
        }
        transaction.Commit();
    } catch (const SqliteError& error) {
        st_->insert.Reset();
        st_->keepOpen.Reset();
        st_->closeOpen.Reset();
        Fail(QStringLiteral("записать в"), error);
    }
    if (!record)
        return;
    const qint64 id = db_.LastInsertId();
    count_.reset();
    if (!current_)
        First();
    emit Inserted(id);
}

void SessionTable::First() { SetCurrent(Fetch(Seek::First, 0)); }

void SessionTable::Next() {
    if (!current_) {
        eof_ = true;
        return;
    }
    if (auto next = Fetch(Seek::Older, current_->id))
        current_ = std::move(next);
    else
        eof_ = true; // the last row stays current, as after any walk past the end
}

std::optional<qint64> SessionTable::CurrentId() const {
    return current_ ? std::optional<qint64>(current_->id) : std::nullopt;
}

void SessionTable::MoveTo(qint64 id) {
    if (auto row = Fetch(Seek::Exact, id))
        SetCurrent(std::move(row));
}

int SessionTable::FieldIndex(const QString& name) {
    for (int i = 0; i < FieldNames.size(); ++i)
        if (FieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw Failure(QStringLiteral("Field '%1' not found").arg(name));
}

QString SessionTable::FieldText(const QString& name) const {
    const int index = FieldIndex(name);
    if (!current_)
        return {};
    return current_->record.FieldText(index);
}

void SessionTable::DeleteCurrent() {
    if (!current_)
        throw Failure(QStringLiteral("Cannot perform this operation on an empty dataset"));
    const qint64 id = current_->id;
    const qint64 offset = OffsetOf(id);
    try {
        SqliteTransaction transaction(db_);
        st_->remove.Bind(1, id);
        st_->remove.Run();
        transaction.Commit();
    } catch (const SqliteError& error) {
        st_->remove.Reset();
        Fail(QStringLiteral("удалить запись из"), error);
    }
    count_.reset();
    auto next = Fetch(Seek::Older, id);
    SetCurrent(next ? std::move(next) : Fetch(Seek::Newer, id));
    emit Removed(offset);
}

void SessionTable::SetDateFilter(const QDate& from, const QDate& to) {
    filter_ = std::make_pair(from, to);
    count_.reset();
    First();
    emit ViewChanged();
}

void SessionTable::ClearDateFilter() {
    const bool was = filter_.has_value();
    filter_.reset();
    count_.reset();
    if (was) {
        First();
        emit ViewChanged();
    }
}

QString SessionTable::FilterText() const {
    if (!filter_)
        return {};
    return QStringLiteral("data>='") + TextForms::DateText(filter_->first) + QStringLiteral("'") +
           QStringLiteral(" and data<=") + QStringLiteral("'") +
           TextForms::DateText(filter_->second) + QStringLiteral("'");
}

qint64 SessionTable::RowCount() const {
    if (!count_) {
        try {
            BindFilter(st_->count);
            st_->count.Step();
            count_ = st_->count.Int(0);
            st_->count.Reset();
        } catch (const SqliteError& error) {
            st_->count.Reset();
            Fail(QStringLiteral("прочитать"), error);
        }
    }
    return *count_;
}

std::vector<SessionRow> SessionTable::ReadRows(qint64 offset, int count) const {
    std::vector<SessionRow> rows;
    try {
        BindFilter(st_->page);
        st_->page.Bind(3, qint64(count)).Bind(4, offset);
        while (st_->page.Step())
            rows.push_back(ReadRow(st_->page));
        st_->page.Reset();
    } catch (const SqliteError& error) {
        st_->page.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    return rows;
}

qint64 SessionTable::OffsetOf(qint64 id) const {
    if (!Fetch(Seek::Exact, id))
        return -1;
    try {
        BindFilter(st_->offsetOf);
        st_->offsetOf.Bind(3, id);
        st_->offsetOf.Step();
        const qint64 offset = st_->offsetOf.Int(0);
        st_->offsetOf.Reset();
        return offset;
    } catch (const SqliteError& error) {
        st_->offsetOf.Reset();
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
        st_->maxId.Step();
        range.maxId = st_->maxId.Int(0);
        st_->maxId.Reset();
    } catch (const SqliteError& error) {
        st_->maxId.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    return range;
}

qint64 SessionTable::CountIn(const SessionRange& range) const {
    SqliteStatement& s = st_->rangeCount;
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
    SqliteStatement& s = st_->rangePage;
    std::vector<SessionRow> rows;
    try {
        BindRange(s, range);
        s.Bind(4, qint64(count)).Bind(5, offset);
        while (s.Step())
            rows.push_back(ReadRow(s));
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
    SqliteStatement& s = st_->rangeCharges;
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
