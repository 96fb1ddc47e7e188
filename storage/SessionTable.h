#pragma once
// The session table, data.db: one row per finished segment, newest first. Its cursor (the
// current row, the date filter, the delete) serves the grid and the delete button
// (SessionCursor.cpp); reads for display and reports never move it (SessionQueries.cpp).

#include "DayTotals.h"
#include "LogFolder.h"
#include "SessionRecord.h"
#include "Sqlite.h"
#include "TableFile.h"
#include "platform/FileKind.h"

#include <QDate>
#include <QObject>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

struct SessionRow {
    qint64 id = 0;
    SessionRecord record;
};

// A fixed set of rows to report on: the dates from..to (both inclusive; none for all) among
// the rows stored up to maxId, so rows written later do not slip into a report being shown.
struct SessionRange {
    std::optional<QDate> from;
    std::optional<QDate> to;
    qint64 maxId = std::numeric_limits<qint64>::max();
};

class SessionTable : public QObject, public RecordWriter {
    Q_OBJECT
public:
    static const QString FileName;
    // The field names in grid order; names are matched without regard to case.
    static const QStringList FieldNames;

    // Opens dir/data.db, creating it when missing. Throws Failure naming the file.
    explicit SessionTable(const QString& dir, QObject* parent = nullptr);
    ~SessionTable() override;
    const QString& FilePath() const { return file_.Path(); }

    // Stores the record as the newest row in one transaction. The current row stays.
    void Append(const SessionRecord& record);
    // The same, keeping what is still open in the same transaction.
    void Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) override;
    void Checkpoint(const std::optional<OpenSegment>& open) override;
    std::optional<OpenSegment> LeftOpen(const QDate& today, int nowMsecs) override;
    // Whether the file keeps the records' traffic (version 5). It takes that version, a copy
    // of it kept first, when a record or the open segment first comes with traffic, or when
    // asked (KeepTraffic: throws Failure when it cannot).
    bool KeepsTraffic() const;
    void KeepTraffic();

    // The current row among those in view (all, or those the date filter lets through).
    std::optional<qint64> CurrentId() const;
    void MoveTo(qint64 id);
    // The current row's field as text (Data as a date text); empty on an empty view.
    // Throws "Field '%s' not found".
    QString FieldText(const QString& name) const;
    static int FieldIndex(const QString& name);

    // Deletes the current row and moves to the next one (or the one before, at the end).
    // Throws "Cannot perform this operation on an empty dataset" when there is none.
    void DeleteCurrent();

    // Lets through only the rows whose Data lies from..to, both ends inclusive.
    void SetDateFilter(const QDate& from, const QDate& to);
    void ClearDateFilter();
    bool Filtered() const { return filter_.has_value(); }
    // The filter as the user would write it: data>='01.12.2026' and data<='07.12.2026'.
    QString FilterText() const;

    // Rows in view for display, newest first, without moving the cursor.
    qint64 RowCount() const;
    std::vector<SessionRow> ReadRows(qint64 offset, int count) const;
    // The offset in view of a row, or -1 when the view does not hold it.
    qint64 OffsetOf(qint64 id) const;

    // Milliseconds of a clock that nobody sets, for the sync of checkpoints; tests drive
    // their own. Whether the last commit was made with a full sync.
    void SetMonotonicClock(std::function<qint64()> msecs) { monotonic_ = std::move(msecs); }
    bool LastCommitSynced() const { return fullSync_; }

    // The range the current view shows, fixed at the newest row stored now.
    SessionRange CurrentRange() const;
    qint64 CountIn(const SessionRange& range) const;
    // Rows of the range, newest first: from an offset (for jumping to any page), or the
    // ones just older than a row already read (for reading it through in order).
    std::vector<SessionRow> RowsIn(const SessionRange& range, qint64 offset, int count) const;
    std::vector<SessionRow> RowsBelow(const SessionRange& range, qint64 belowId, int count) const;
    // The charge and duration texts (Summ, Itogo) of every row of the range, newest first,
    // as UTF-8 bytes valid during the call: all the report's totals need.
    void ForEachChargeIn(const SessionRange& range,
                         const std::function<void(QByteArrayView, QByteArrayView)>& visit) const;
    // The totals of the days from..to that have records, oldest first, from the kept
    // per-day totals (a walk over the records while those cannot be trusted).
    std::vector<DayTotal> DayTotalsIn(const QDate& from, const QDate& to) const;
    bool DaysByScan() const;
    // The fold-backs run so far for the file open now (none while it cannot be written), and
    // those asked for since the table was made.
    quint64 FoldsRun() const { return folder_ ? folder_->Folds() : 0; }
    quint64 FoldsAsked() const { return foldsAsked_; }
signals:
    // A row was stored; it is the first row of the view if the view lets it through.
    void Inserted(qint64 id);
    // The row at this offset of the view was deleted.
    void Removed(qint64 offset);
    // The filter changed, or the file was replaced: the view holds other rows now.
    void ViewChanged();
    // Something the user should know that is no failure: the file was replaced or moved
    // away and has been opened again.
    void Notice(const QString& message);

private:
    struct Statements;
    struct Writes;
    enum class Seek { First, Older, Newer, Exact };
    // A commit of the open segment alone syncs when so long has passed since the last one
    // that did: what a power loss may cost of a connection, whatever the poll interval.
    static constexpr qint64 SyncEveryMsecs = 60'000;
    // Stored records are folded back into the file when the log has grown to so many pages
    // (SQLite's own default), and otherwise a minute after the last fold-back at most.
    static constexpr int FoldPages = 1000;
    static constexpr qint64 FoldEveryMsecs = 60'000;

    // Makes the newest row in view the current one.
    void First();
    void Open();
    // Closes the file open now, its log folded back into it as far as readers allow.
    void Close();
    // The fold-back of the file just opened, or none when it cannot be written.
    std::unique_ptr<LogFolder> StartFolder() const;
    Statements& ReadStatements() const; // throws Failure while no file is open
    // The statements that write, compiled at the first write, after the totals' check.
    Writes& WriteStatements();
    // The per-day totals' check, made once per open file before they are first read or
    // anything is written, rather than at open: the grid's first paint needs neither.
    void CheckTotals() const;
    static bool CountIsSound(SqliteDatabase& db);
    // Makes again the tables and triggers of the records and their count that another
    // program dropped, counting the records afresh. Returns the schema's version after.
    static qint64 KeepOwnTables(SqliteDatabase& db);
    // The schema's version now (PRAGMA schema_version).
    qint64 SchemaVersion() const;
    // Before a write: when another program changed the schema since the last look, the
    // program's own tables, triggers and totals are checked and made again where missing.
    bool OwnTablesChanged();
    static bool DayTotalsAreSound(SqliteDatabase& db);
    bool StillTheOpenFile() const;
    // Opens the file again when the one at the path is no longer the one open.
    void ReopenIfReplaced();
    void SetSynchronous(bool full);
    std::optional<SessionRow> Fetch(Seek seek, qint64 id) const;
    void BindFilter(SqliteStatement& statement) const;
    void SetCurrent(std::optional<SessionRow> row);
    void Store(const SessionRecord* record, const std::optional<OpenSegment>& open, bool keepOpen);
    // Before a write that carries bytes: the file takes the traffic's version, or the bytes are
    // left out (told once) and the time stored all the same.
    void KeepTrafficOrTell();
    // Asks for a fold-back of the records stored when one is due.
    void FoldBackWhenDue(qint64 now);

    TableFile file_;
    qint64 schemaSeen_ = 0; // its schema version at the last look
    bool emptied_ = false;  // the file open now was emptied under it
    bool fullSync_ = true;
    std::optional<qint64> lastFullSync_; // monotonic; none: the next commit syncs
    std::function<qint64()> monotonic_;
    bool recordsStored_ = false;  // in the file open now
    bool trafficRefused_ = false; // the file could not take the traffic's version: told once
    bool countByScan_ = false;
    mutable bool totalsChecked_ = false;
    mutable bool daysByScan_ = false;
    std::unique_ptr<Statements> st_;
    std::unique_ptr<Writes> writes_;
    // Closed before file_, and before the file's log is removed: it checkpoints the same file.
    std::unique_ptr<LogFolder> folder_;
    bool folderTried_ = false;       // for the file open now
    int logPages_ = 0;               // in the log after the last commit
    int pagesAtFold_ = 0;            // in the log when the last fold-back was asked for
    quint64 foldsBeforeAsk_ = 0;     // the thread's fold-backs run before that
    bool restFolded_ = true;         // what that fold-back left is folded back, or none is due
    bool foldOwed_ = false;          // records stored since the last fold-back asked for
    std::optional<qint64> lastFold_; // monotonic; none: the next record asks at once
    quint64 foldsAsked_ = 0;
    std::optional<std::pair<QDate, QDate>> filter_;
    std::optional<SessionRow> current_;
    mutable std::optional<qint64> count_;
};
