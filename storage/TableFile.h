#pragma once
// One of the program's table files: opened by its schema (created when missing, checked and
// refused, untouched, when it is not such a database), opened again when another file takes
// its place under the name, and SQLite's failures on it told as messages that name it.

#include "Sqlite.h"
#include "platform/FileKind.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TableSchema {
    QString fileName;      // "data.db"
    QString table;         // "session", the table every version has
    QStringList columns;   // in order, id first
    int version;           // PRAGMA user_version of a file written now
    std::string createSql; // the whole schema of that version
    // Upgrades: upgrade[v - 1] takes a file of version v to v + 1, in one transaction.
    std::vector<std::string> upgrade;
    // How many of `columns` a file of version v has: columnsIn[v - 1]; all of them in every
    // version when empty. Columns are only ever added at the end.
    std::vector<int> columnsIn = {};
    // Versions past `version`, up to this one, that a file takes only when asked (RaiseTo):
    // what a feature the user has not turned on would add, so the file stays as it was
    // until then. A file opened at one of them stays at it. 0: none.
    int onDemandUpTo = 0;
    int Newest() const { return std::max(version, onDemandUpTo); }
};

// Opens dir/fileName. Throws Failure naming the file and the reason.
SqliteDatabase OpenTableFile(const QString& dir, const TableSchema& schema);

// The write-ahead log and its index beside a file, as they are while it is open.
struct LogFiles {
    std::optional<FileIdentity> log, index;
};
LogFiles LogFilesOf(const QString& path);

// After the connection to a file that was moved away, deleted or replaced is closed: SQLite
// leaves that file's write-ahead log where it was, and would read it as the log of whatever
// file comes next under the name. Records are folded back into their file within a minute
// of being stored, or sooner when the log grows, and what is left is folded back at the close,
// before this is called, so such a log holds nothing that is not kept elsewhere. Only the files
// noted while it was open go: a log that came with the new file holds that file's last changes.
void DropLogOfReplacedFile(const QString& path, const LogFiles& noted);

// Whether the file the connection has open no longer holds a database: emptied or cut in
// place by another program (same file, so its identity does not tell). Looks at the size
// the path's facts tell and, through SQLite's own handle, at the header.
bool NoLongerADatabase(const SqliteDatabase& db, const FileFacts& now);

// A message that names the file, says what was being done and why it failed.
QString TableFailureText(const QString& path, const QString& action, const SqliteError& error);

// The index of a field among the table's names, matched without regard to case. Throws
// "Field '%s' not found".
int FieldIndexIn(const QStringList& names, const QString& name);

class TableFile {
public:
    TableFile(const QString& dir, const TableSchema& schema);
    const QString& Path() const { return path_; }
    SqliteDatabase& Db() { return db_; }
    const SqliteDatabase& Db() const { return db_; }
    bool IsOpen() const { return db_.handle() != nullptr; }

    // Opens the file at the path, `prepare` readying the owner's statements on it; the file
    // open before must be closed. When one was open before, its log is dropped first (see
    // DropLogOfReplacedFile). Throws Failure naming the file; the table stays closed then.
    void Open(const std::function<void(SqliteDatabase&)>& prepare);
    // Closes the connection; the owner's statements must be finalized before.
    void Close() { db_ = SqliteDatabase(); }
    // What is at the path now (its identity none when there is nothing); and whether that is
    // the file open.
    FileFacts FactsNow() const;
    std::optional<FileIdentity> IdentityNow() const { return FactsNow().identity; }
    bool IsTheOneOpen(const std::optional<FileIdentity>& now) const {
        return IsOpen() && now && now == identity_;
    }

    // The version of the file open now (PRAGMA user_version).
    int Version() const;
    // Brings the file open now up to `version` (one of the schema's versions on demand),
    // each step in a transaction of its own, a copy of the file kept first. Throws Failure.
    void RaiseTo(int version);

    // Throws Failure saying that `action` failed on the file, and why.
    [[noreturn]] void Fail(const QString& action, const SqliteError& error) const;
    // Runs `work`, turning SQLite's failure into that Failure.
    template <typename Work> decltype(auto) Guarded(const QString& action, Work&& work) const {
        try {
            return work();
        } catch (const SqliteError& error) {
            Fail(action, error);
        }
    }

private:
    QString dir_;
    QString path_;
    const TableSchema& schema_;
    SqliteDatabase db_;
    std::optional<FileIdentity> identity_;
    LogFiles logFiles_;   // of the file open now
    bool opened_ = false; // a file was opened and its log may be left
};
