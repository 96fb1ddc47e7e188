#pragma once
// Opening one of the program's table files: created with its schema when missing,
// checked and refused, untouched, when it is not such a database.

#include "Sqlite.h"

#include <QString>
#include <QStringList>

struct TableSchema {
    QString fileName;   // "data.db"
    QString table;      // "session"
    QStringList columns; // in order, id first
    const char* createSql;
};

// The format version written into PRAGMA user_version of both files.
constexpr int TableFormatVersion = 1;

// Opens dir/fileName. Throws Failure naming the file and the reason.
SqliteDatabase OpenTableFile(const QString& dir, const TableSchema& schema);

// A message that names the file, says what was being done and why it failed.
QString TableFailureText(const QString& path, const QString& action, const SqliteError& error);
