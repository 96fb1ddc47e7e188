#pragma once
// Opening one of the program's table files: created with its schema when missing,
// checked and refused, untouched, when it is not such a database.

#include "Sqlite.h"
#include "platform/FileKind.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

struct TableSchema {
    QString fileName;    // "data.db"
    QString table;       // "session", the table every version has
    QStringList columns; // in order, id first
    int version;         // PRAGMA user_version of a file written now
    std::string createSql; // the whole schema of that version
    // Upgrades: upgrade[v - 1] takes a file of version v to v + 1, in one transaction.
    std::vector<std::string> upgrade;
    // How many of `columns` a file of version v has: columnsIn[v - 1]; all of them in every
    // version when empty. Columns are only ever added at the end.
    std::vector<int> columnsIn = {};
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
// before this is called, so such a log holds nothing that is not kept elsewhere. Only the files noted while it was open go: a log that came with the new file
// holds that file's last changes.
void DropLogOfReplacedFile(const QString& path, const LogFiles& noted);

// Whether the file the connection has open no longer holds a database: emptied or cut in
// place by another program (same file, so its identity does not tell). Looks at the size
// and, through SQLite's own handle, at the header.
bool NoLongerADatabase(const SqliteDatabase& db, const QString& path);

// A message that names the file, says what was being done and why it failed.
QString TableFailureText(const QString& path, const QString& action, const SqliteError& error);
