#pragma once
// A throw-away data folder per test, and raw looks at a file behind the program's back.

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "storage/Failure.h"
#include <sqlite3.h>

inline QByteArray FileDigest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The message of the Failure an action throws, or nothing.
inline QString FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return {};
}

// Runs SQL on a file with SQLite itself, returning the first column of every row.
inline QStringList RawSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    QStringList out;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(
        db, sql,
        [](void* o, int, char** values, char**) {
            static_cast<QStringList*>(o)->append(QString::fromUtf8(values[0] ? values[0] : ""));
            return 0;
        },
        &out, nullptr);
    sqlite3_close(db);
    return out;
}

// Another program's commit left in the file's write-ahead log, not yet in the file itself.
inline void CommitLeftInLog(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
}
