#include "SessionTable.h"
#include "SessionStatements.h"

#include "Checkpoint.h"
#include "DayTotalsSql.h"
#include "Failure.h"
#include "TableFile.h"
#include "TextForms.h"
#include "TrafficSql.h"
#include "platform/FileKind.h"

#include <QDir>
#include <QElapsedTimer>
#include <climits>
#include <cmath>
#include <sqlite3.h>
#include <system_error>

const QString SessionTable::FileName = QStringLiteral("data.db");

QString SessionRecord::FieldText(int index) const {
    switch (index) {
    case 0:
        return TextForms::DateText(date);
    case 1:
        return startTime;
    case 2:
        return endTime;
    case 3:
        return duration;
    case 4:
        return rate;
    default:
        return charge;
    }
}
const QStringList SessionTable::FieldNames = {QStringLiteral("Data"),  QStringLiteral("WremN"),
                                              QStringLiteral("WremW"), QStringLiteral("Itogo"),
                                              QStringLiteral("Tarif"), QStringLiteral("Summ")};

namespace {

// Version 2 adds the segment being timed: one row at most, kept at every poll.
const std::string CreateOpenSegment =
    "CREATE TABLE open_segment(id INTEGER PRIMARY KEY CHECK (id = 1), StartDate TEXT NOT NULL, "
    "StartTime INTEGER NOT NULL, LastDate TEXT NOT NULL, LastTime INTEGER NOT NULL, "
    "Rate TEXT NOT NULL)";

// Version 2 also keeps the number of records, so the grid knows it at once instead of
// counting a million rows; triggers keep it right whoever writes the table.
const std::string CreateSessionCount = "CREATE TABLE session_count(n INTEGER NOT NULL); "
                                       "INSERT INTO session_count(n) SELECT count(*) FROM session; "
                                       "CREATE TRIGGER session_counted AFTER INSERT ON session "
                                       "BEGIN UPDATE session_count SET n = n + 1; END; "
                                       "CREATE TRIGGER session_uncounted AFTER DELETE ON session "
                                       "BEGIN UPDATE session_count SET n = n - 1; END";

// Version 3 keeps, beside the open segment, what the charge of the connection's last
// segment depends on: the connection's seconds, charges and records so far, and the billing
// terms it began under, so a connection a crash ended is charged as if it had not crashed.
const std::string AddConnectionSoFar =
    "ALTER TABLE open_segment ADD COLUMN Seconds INTEGER NOT NULL DEFAULT 0; "
    "ALTER TABLE open_segment ADD COLUMN Charges TEXT NOT NULL DEFAULT '0'; "
    "ALTER TABLE open_segment ADD COLUMN Records INTEGER NOT NULL DEFAULT 0; "
    "ALTER TABLE open_segment ADD COLUMN Unit INTEGER NOT NULL DEFAULT 1; "
    "ALTER TABLE open_segment ADD COLUMN Fee REAL NOT NULL DEFAULT 0; "
    "ALTER TABLE open_segment ADD COLUMN Minimum REAL NOT NULL DEFAULT 0";

const std::string CreateSession =
    "CREATE TABLE session(id INTEGER PRIMARY KEY AUTOINCREMENT, Data TEXT NOT NULL, "
    "WremN TEXT NOT NULL, WremW TEXT NOT NULL, Itogo TEXT NOT NULL, Tarif TEXT NOT NULL, "
    "Summ TEXT NOT NULL)";

// Version 4 keeps the totals of each day (DayTotalsSql.h), so a period's figures never need
// a walk over every record. Version 5 keeps the traffic (TrafficSql.h), taken only once the
// traffic is counted.
const TableSchema Schema{
    SessionTable::FileName,
    QStringLiteral("session"),
    {QStringLiteral("id"), QStringLiteral("Data"), QStringLiteral("WremN"), QStringLiteral("WremW"),
     QStringLiteral("Itogo"), QStringLiteral("Tarif"), QStringLiteral("Summ")},
    4,
    // A new file is built by the same steps as an upgraded one, so both are alike.
    CreateSession + "; " + CreateOpenSegment + "; " + CreateSessionCount + "; " +
        AddConnectionSoFar + "; " + DayTotalsSql::Schema(),
    {
        CreateOpenSegment + "; " + CreateSessionCount, // 1 -> 2
        AddConnectionSoFar,                            // 2 -> 3
        DayTotalsSql::Schema(),                        // 3 -> 4
        TrafficSql::Schema(),                          // 4 -> 5, when the traffic is counted
    },
    {},
    5};

bool KeepsVolumes(const SqliteDatabase& db) {
    SqliteStatement version(db, "PRAGMA user_version");
    return version.Step() && version.Int(0) >= 5;
}

} // namespace

SessionTable::SessionTable(const QString& dir, QObject* parent)
    : QObject(parent), file_(dir, Schema), monotonic_([timer = std::make_shared<QElapsedTimer>()] {
          if (!timer->isValid())
              timer->start();
          return timer->elapsed();
      }) {
    Open();
    First();
}

void SessionTable::Open() {
    // The file open before is closed first: its write-ahead log beside it, under the same
    // name, must be folded back into it and gone before another file is opened there (its
    // log, dropped then, held no more than the open segment, kept anew).
    Close();
    qint64 schema = 0;
    file_.Open([&](SqliteDatabase& db) {
        try {
            schema = KeepOwnTables(db);
        } catch (const SqliteError&) {
            // A file that cannot be written now: looked at again before the first write.
        }
        countByScan_ = !CountIsSound(db);
        // Finalized before their connection closes.
        st_ = std::make_unique<Statements>(db, KeepsVolumes(db));
    });
    // The log's size after each commit, for the fold-back; it also stops SQLite folding the
    // log back itself in the middle of a commit.
    sqlite3_wal_hook(
        file_.Db().handle(),
        [](void* table, sqlite3*, const char*, int pages) {
            static_cast<SessionTable*>(table)->logPages_ = pages;
            return SQLITE_OK;
        },
        this);
    logPages_ = pagesAtFold_ = 0;
    restFolded_ = true;
    foldOwed_ = false;
    lastFold_.reset();
    schemaSeen_ = schema;
    totalsChecked_ = false;
    count_.reset();
    fullSync_ = true;
    lastFullSync_.reset();
    folderTried_ = false; // started at the first record stored: a reader never needs it
}

std::unique_ptr<LogFolder> SessionTable::StartFolder() const {
    try {
        SqliteDatabase db(FilePath(), false);
        // A file SQLite opened for reading only is not folded back; nor one that took the
        // place of the file just opened, which is not this table's to touch.
        if (sqlite3_db_readonly(db.handle(), "main") != 0 ||
            !file_.IsTheOneOpen(file_.IdentityNow()))
            return nullptr;
        // A connection learns that the file has a log at its first read; until then it
        // would fold nothing back.
        db.Exec("SELECT count(*) FROM sqlite_schema");
        return std::make_unique<LogFolder>(std::move(db));
    } catch (const SqliteError&) {
    } catch (const std::system_error&) { // no thread to be had
    }
    // Without it the records still reach the file: when the table closes or at SQLite's own
    // checkpoints.
    return nullptr;
}

void SessionTable::Close() {
    // The fold-back's connection goes first: closed after the table's own, it would be the
    // last one on the file and fold back or delete a log that by then belongs to another
    // file under the same name.
    folder_.reset();
    // What it had not folded back yet of the records stored is folded back here, so the file
    // holds every record even when it was moved away (SQLite does not fold back into a moved
    // file at close). A table that stored nothing (a report beside the program) leaves the
    // file as it was.
    if (st_ && recordsStored_ && !emptied_)
        file_.Db().FoldLogBack();
    // Nor is anything written back into a file emptied under it: what SQLite would fold
    // back at the close is a few pages, no database.
    if (st_ && emptied_)
        sqlite3_db_config(file_.Db().handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    emptied_ = false;
    recordsStored_ = false;
    writes_.reset(); // statements are finalized before their connection closes
    st_.reset();
    file_.Close();
}

bool SessionTable::CountIsSound(SqliteDatabase& db) {
    // The kept count cannot be negative nor exceed the largest id; one that does was
    // damaged by hand and is counted again (once, here, rather than at every look).
    SqliteStatement check(db, "SELECT (SELECT count(*) FROM session_count) = 1 AND "
                              "(SELECT typeof(n) = 'integer' AND n >= 0 AND "
                              "n <= (SELECT ifnull(max(id), 0) FROM session) FROM session_count)");
    const bool sound = check.Step() && check.Int(0) == 1;
    check.Reset();
    if (sound)
        return true;
    try {
        SqliteTransaction transaction(db);
        db.Exec("DELETE FROM session_count; "
                "INSERT INTO session_count(n) SELECT count(*) FROM session");
        transaction.Commit();
        return true;
    } catch (const SqliteError&) {
        return false; // a file that cannot be written now is counted the slow way
    }
}

qint64 SessionTable::KeepOwnTables(SqliteDatabase& db) {
    const auto present = [&db] {
        QStringList names;
        SqliteStatement s(db, "SELECT name FROM sqlite_schema WHERE type IN ('table', 'trigger') "
                              "AND name IN ('session', 'open_segment', 'session_count', "
                              "'session_counted', 'session_uncounted')");
        while (s.Step())
            names << s.Text(0);
        return names;
    };
    QStringList names = present();
    if (names.size() < 5) {
        // Dropped by another program, or gone with a table a tool rebuilt (SQL tools make a
        // new table, copy the rows, drop the old one and rename): made again, and counted.
        SqliteTransaction transaction(db);
        names = present();
        if (!names.contains(QStringLiteral("session")))
            db.Exec(CreateSession.c_str());
        if (!names.contains(QStringLiteral("open_segment")))
            db.Exec((CreateOpenSegment + "; " + AddConnectionSoFar).c_str());
        db.Exec("DROP TRIGGER IF EXISTS session_counted; "
                "DROP TRIGGER IF EXISTS session_uncounted; "
                "DROP TABLE IF EXISTS session_count");
        db.Exec(CreateSessionCount.c_str());
        transaction.Commit();
    }
    SqliteStatement version(db, "PRAGMA schema_version");
    version.Step();
    return version.Int(0);
}

qint64 SessionTable::SchemaVersion() const {
    const StatementUse s(ReadStatements().schemaVersion); // done with before any change
    s->Step();
    return s->Int(0);
}

bool SessionTable::OwnTablesChanged() {
    if (SchemaVersion() == schemaSeen_)
        return false;
    SqliteDatabase& db = file_.Db();
    schemaSeen_ = KeepOwnTables(db);
    count_.reset();
    countByScan_ = !CountIsSound(db);
    totalsChecked_ = false;
    CheckTotals();
    // The count or the totals rebuilt change the schema too: only another change counts.
    SqliteStatement again(db, "PRAGMA schema_version");
    again.Step();
    schemaSeen_ = again.Int(0);
    return true;
}

bool SessionTable::DayTotalsAreSound(SqliteDatabase& db) {
    // Written by hand, or by a tool that dropped the triggers: built afresh from the records.
    if (DayTotals::Sound(db))
        return true;
    try {
        DayTotals::Rebuild(db);
        return DayTotals::Sound(db);
    } catch (const SqliteError&) {
        return false; // a file that cannot be written now is added up the slow way
    }
}

void SessionTable::CheckTotals() const {
    if (totalsChecked_ || !st_)
        return;
    // Rebuilding damaged totals changes no record: the table stays the same to its readers.
    daysByScan_ = !DayTotalsAreSound(const_cast<SqliteDatabase&>(file_.Db()));
    totalsChecked_ = true;
}

SessionTable::Writes& SessionTable::WriteStatements() {
    ReadStatements();
    if (!writes_) {
        CheckTotals();
        writes_ = file_.Guarded(QStringLiteral("открыть"), [this] {
            return std::make_unique<Writes>(file_.Db(), st_->volumes);
        });
    }
    return *writes_;
}

bool SessionTable::StillTheOpenFile() const {
    const FileFacts now = file_.FactsNow();
    return st_ && file_.IsTheOneOpen(now.identity) && !NoLongerADatabase(file_.Db(), now);
}

SessionTable::Statements& SessionTable::ReadStatements() const {
    if (!st_)
        throw Failure(
            QStringLiteral("Файл «%1» не открыт.").arg(QDir::toNativeSeparators(FilePath())));
    return *st_;
}

void SessionTable::ReopenIfReplaced() {
    const FileFacts facts = file_.FactsNow();
    const auto& now = facts.identity;
    const bool same = st_ && file_.IsTheOneOpen(now);
    emptied_ = same && NoLongerADatabase(file_.Db(), facts);
    if (same && !emptied_)
        return;
    if (!st_) { // a reopening that failed before: try again, quietly until it works
        Open();
        First();
        emit ViewChanged();
        return;
    }
    const QString where = QDir::toNativeSeparators(FilePath());
    const QString cause =
        emptied_ ? QStringLiteral("Файл «%1» был очищен другой программой во время работы "
                                  "программы. Программа записывает в него заново; прежние записи "
                                  "остались в папке backup.")
                       .arg(where)
        : now ? QStringLiteral("Файл «%1» был заменён другим файлом во время работы программы. "
                               "Программа открыла файл, который теперь лежит на этом месте, и "
                               "записывает в него.")
                    .arg(where)
              : QStringLiteral("Файл «%1» был удалён или перемещён во время работы программы. "
                               "Программа создала его заново и записывает в него; прежние записи "
                               "остались в перемещённом файле или в папке backup.")
                    .arg(where);
    Open(); // throws Failure when the new file cannot be used; tried again at the next write
    current_.reset();
    First();
    emit ViewChanged();
    emit Notice(cause);
}

SessionTable::~SessionTable() {
    Close();
}

void SessionTable::Append(const SessionRecord& record) {
    Store(&record, std::nullopt, false);
}

void SessionTable::Append(const SessionRecord& record,
                          const std::optional<OpenSegment>& stillOpen) {
    Store(&record, stillOpen, true);
}

void SessionTable::Checkpoint(const std::optional<OpenSegment>& open) {
    Store(nullptr, open, true);
}

std::optional<OpenSegment> SessionTable::LeftOpen(const QDate& today, int nowMsecs) {
    QStringList fields;
    std::optional<OpenSegment> open;
    const StatementUse s(ReadStatements().readOpen);
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        if (!s->Step())
            return;
        QVariantList row;
        for (int i = 0; i < Checkpoint::Columns; ++i) {
            fields << s->Text(i);
            row << s->Value(i);
        }
        open = Checkpoint::Read(row, today, nowMsecs);
        if (!open || !st_->readOpenVolume)
            return;
        const StatementUse volume(*st_->readOpenVolume);
        if (volume->Step() && volume->IsInteger(0) && volume->IsInteger(1) && volume->Int(0) >= 0 &&
            volume->Int(1) >= 0)
            open->traffic = Traffic{quint64(volume->Int(0)), quint64(volume->Int(1))};
    });
    if (!fields.isEmpty() && !open)
        throw DamagedSegment(
            QStringLiteral("В файле «%1» незавершённое подключение записано с ошибкой и не может "
                           "быть сохранено: начало %2 %3, последняя отметка %4 %5, тариф «%6», "
                           "до него %7 с на сумму %8 в %9 записях, тарификация: шаг %10 с, плата "
                           "за подключение %11, минимум %12. "
                           "Оно отложено, запись остальных подключений продолжается.")
                .arg(QDir::toNativeSeparators(FilePath()), fields[0], fields[1], fields[2],
                     fields[3], fields[4], fields[5], fields[6], fields[7])
                .arg(fields[8], fields[9], fields[10]));
    return open;
}

bool SessionTable::KeepsTraffic() const {
    return st_ && st_->volumes;
}

void SessionTable::KeepTraffic() {
    if (ReadStatements().volumes)
        return;
    writes_.reset();
    st_.reset();
    try {
        file_.RaiseTo(5);
    } catch (const Failure&) {
        st_ = std::make_unique<Statements>(file_.Db(), KeepsVolumes(file_.Db()));
        throw;
    }
    file_.Guarded(QStringLiteral("открыть"), [this] {
        st_ = std::make_unique<Statements>(file_.Db(), true);
        const StatementUse s(st_->schemaVersion); // our own change, not another program's
        s->Step();
        schemaSeen_ = s->Int(0);
    });
}

void SessionTable::KeepTrafficOrTell() {
    try {
        KeepTraffic();
    } catch (const Failure& failure) {
        // The time is what is paid for: it is stored all the same, without the bytes.
        if (!trafficRefused_)
            emit Notice(failure.message());
        trafficRefused_ = true;
    }
}

void SessionTable::Store(const SessionRecord* record, const std::optional<OpenSegment>& open,
                         bool keepOpen) {
    file_.Guarded(QStringLiteral("открыть"), [this] {
        ReopenIfReplaced();
        if (!writes_) // the writes are compiled against the tables as they are
            OwnTablesChanged();
    });
    if ((record && record->traffic) || (keepOpen && open && open->traffic))
        KeepTrafficOrTell();
    // A record commits with a full sync: once stored it survives a power loss. A checkpoint
    // of the open connection alone may ride on the next sync, but one a minute after the
    // last sync syncs too, so a power loss costs at most about a minute of it and a crash
    // one poll.
    Writes& w = WriteStatements();
    const qint64 now = monotonic_();
    const bool fullSync = record || !lastFullSync_ || now - *lastFullSync_ >= SyncEveryMsecs;
    // Whether another program changed the tables is read inside the write's own transaction,
    // where it takes no lock of its own; what it changed is mended before the write.
    std::optional<qint64> id;
    for (bool tablesChecked = false; !id; tablesChecked = true) {
        id = file_.Guarded(QStringLiteral("записать в"), [&]() -> std::optional<qint64> {
            SetSynchronous(fullSync);
            SqliteDatabase& db = file_.Db();
            SqliteTransaction transaction(db, w.transaction);
            if (!tablesChecked && SchemaVersion() != schemaSeen_)
                return std::nullopt; // rolled back, nothing written
            const qint64 inserted = record ? w.Insert(db, *record) : 0;
            if (keepOpen)
                w.Keep(open);
            transaction.Commit();
            return inserted;
        });
        if (!id)
            file_.Guarded(QStringLiteral("открыть"), [this] { OwnTablesChanged(); });
    }
    if (fullSync)
        lastFullSync_ = now;
    if (record)
        recordsStored_ = foldOwed_ = true;
    FoldBackWhenDue(now);
    if (!record)
        return;
    // Stored: nothing from here on may say otherwise, or the record would be stored again.
    count_.reset();
    try {
        if (!current_)
            First();
        emit Inserted(*id);
    } catch (const Failure&) {
        // A view that cannot read the new row now catches up at its next read.
    }
}

void SessionTable::FoldBackWhenDue(qint64 now) {
    // Stored records go back into the file itself on the fold-back's own thread (what a
    // reader holds back stays for the next time): the first at once, later ones when the log
    // has grown or a minute has passed, at a record or a poll's checkpoint, and what is left
    // at the close. Not after every record: the fold-back's two syncs would compete with the
    // next commit's. The file alone, copied or moved away, holds every record but the last
    // minute's. A log grown by checkpoints alone is folded back too.
    //
    // Its size asks once: until the log begins again, only as much again asks again. The log
    // begins again at the first commit after a fold-back that took all of it; one that ran
    // while commits went on leaves their pages, and the log would grow on. Those few pages
    // are folded back here, once, when the thread is done.
    if (logPages_ < pagesAtFold_) { // begun again
        pagesAtFold_ = 0;
        restFolded_ = true;
    }
    const bool grown = logPages_ - pagesAtFold_ >= FoldPages;
    if (!grown && !(foldOwed_ && (!lastFold_ || now - *lastFold_ >= FoldEveryMsecs))) {
        if (!restFolded_ && folder_ && folder_->Folds() > foldsBeforeAsk_) {
            file_.Db().FoldLogBack();
            restFolded_ = true;
        }
        return;
    }
    if (!folderTried_) {
        folderTried_ = true;
        folder_ = StartFolder();
    }
    if (folder_) {
        foldsBeforeAsk_ = folder_->Folds();
        folder_->Wake();
    } else if (grown) { // without a thread of its own, here, as SQLite would
        file_.Db().FoldLogBack();
    }
    pagesAtFold_ = logPages_;
    restFolded_ = pagesAtFold_ < FoldPages; // a small log's rest waits for the next time
    foldOwed_ = false;
    lastFold_ = now;
    ++foldsAsked_;
}

void SessionTable::SetSynchronous(bool full) {
    if (full == fullSync_)
        return;
    file_.Db().Exec(full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
    fullSync_ = full;
}
