#include "TableFile.h"

#include "Failure.h"
#include "Maintenance.h"
#include "platform/FileKind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstring>
#include <sqlite3.h>

namespace {

QString Reason(const SqliteError& error) {
    QString reason;
    switch (error.code) {
    case SQLITE_READONLY_DBMOVED:
        reason =
            QStringLiteral("файл удалён, перемещён или заменён другим во время работы программы");
        break;
    case SQLITE_IOERR_NOMEM:
        reason = QStringLiteral("не хватает памяти");
        break;
    default:
        break;
    }
    if (!reason.isEmpty())
        return reason + QStringLiteral(" (") + error.message + QLatin1Char(')');
    switch (error.PrimaryCode()) {
    case SQLITE_NOTADB:
        reason = QStringLiteral("файл не является базой данных SQLite");
        break;
    case SQLITE_CORRUPT:
        reason = QStringLiteral("файл повреждён");
        break;
    case SQLITE_READONLY:
        reason = QStringLiteral("файл открыт только для чтения");
        break;
    case SQLITE_FULL:
        reason = QStringLiteral("на диске нет места");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        reason = QStringLiteral("файл занят другой программой");
        break;
    case SQLITE_CANTOPEN:
        reason = QStringLiteral("файл не удаётся открыть");
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        reason = QStringLiteral("нет прав доступа к файлу");
        break;
    case SQLITE_IOERR:
        reason = QStringLiteral("ошибка ввода-вывода");
        break;
    default:
        return error.message;
    }
    return reason + QStringLiteral(" (") + error.message + QLatin1Char(')');
}

[[noreturn]] void Refuse(const QString& path, const QString& reason) {
    throw Failure(QStringLiteral("Файл «%1» не открыт: %2. Файл оставлен без изменений.")
                      .arg(QDir::toNativeSeparators(path), reason));
}

// Reads, never writes: a file that fails here is left exactly as it was. Returns its version.
qint64 CheckSchema(const SqliteDatabase& db, const QString& path, const TableSchema& schema) {
    SqliteStatement version(db, "PRAGMA user_version");
    version.Step();
    const qint64 found = version.Int(0);
    version.Reset();

    QStringList columns;
    SqliteStatement info(db, "SELECT name FROM pragma_table_info(?1)");
    info.Bind(1, schema.table);
    while (info.Step())
        columns << info.Text(0);
    info.Reset();

    if (columns.isEmpty())
        Refuse(
            path,
            QStringLiteral("в нём нет таблицы «%1», это не файл этой программы").arg(schema.table));
    if (found > schema.Newest())
        Refuse(path,
               QStringLiteral("он записан более новой версией программы (формат %1)").arg(found));
    const qsizetype expected = found >= 1 && std::size_t(found) <= schema.columnsIn.size()
                                   ? schema.columnsIn[std::size_t(found - 1)]
                                   : schema.columns.size();
    bool same = columns.size() == expected;
    for (int i = 0; same && i < columns.size(); ++i)
        same = columns[i].compare(schema.columns[i], Qt::CaseInsensitive) == 0;
    if (found < 1 || !same)
        Refuse(
            path,
            QStringLiteral("таблица «%1» устроена не так, как у этой программы").arg(schema.table));
    return found;
}

// Files of an earlier version are brought up to date, one step per transaction.
void Upgrade(SqliteDatabase& db, qint64 from, const TableSchema& schema, qint64 to) {
    for (qint64 v = from; v < to; ++v) {
        SqliteTransaction transaction(db);
        db.Exec(schema.upgrade[std::size_t(v - 1)].c_str());
        db.Exec(QStringLiteral("PRAGMA user_version = %1").arg(v + 1).toUtf8().constData());
        transaction.Commit();
    }
}

// A new file is built with a rollback journal: it is whole the moment it is moved into place.
void UseJournal(SqliteDatabase& db) {
    db.Exec("PRAGMA journal_mode=DELETE");
    db.Exec("PRAGMA synchronous=FULL");
}

// In use, a write-ahead log: readers (the sqlite3 shell, a backup, the report) and the
// program's writes never wait for each other. FULL sync makes each commit survive a power
// loss; a table may lower it for commits that can be lost without harm.
void UseWriteAheadLog(SqliteDatabase& db) {
    db.Exec("PRAGMA journal_mode=WAL");
    db.Exec("PRAGMA synchronous=FULL");
}

// Builds the new file under a temporary name and moves it into place only when whole,
// so a crash never leaves a half-made table behind, and an existing file is never replaced.
void CreateTableFile(const QString& path, const TableSchema& schema) {
    QTemporaryFile temp(
        QFileInfo(path).dir().filePath(QStringLiteral(".%1.XXXXXX").arg(schema.fileName)));
    if (!temp.open())
        throw Failure(QStringLiteral("Не удалось создать файл «%1»: %2.")
                          .arg(QDir::toNativeSeparators(path), temp.errorString()));
    temp.close();
    try {
        SqliteDatabase db(temp.fileName(), false);
        UseJournal(db);
        SqliteTransaction transaction(db);
        db.Exec(schema.createSql.c_str());
        db.Exec(
            QStringLiteral("PRAGMA user_version = %1").arg(schema.version).toUtf8().constData());
        transaction.Commit();
    } catch (const SqliteError& error) {
        throw Failure(TableFailureText(path, QStringLiteral("создать"), error));
    }
    // A person's record of their time on line: the owner's alone, and so are its log and
    // index, which SQLite makes with the file's own mode.
    temp.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    // QFile::rename never replaces an existing file: if one appeared meanwhile, use it.
    if (QFile::rename(temp.fileName(), path))
        temp.setAutoRemove(false);
    else if (!QFileInfo::exists(path))
        throw Failure(QStringLiteral("Не удалось создать файл «%1»: %2.")
                          .arg(QDir::toNativeSeparators(path), temp.errorString()));
}

// An empty file is what a power loss while one was being made leaves, or what `: > file`
// makes: a database with nothing in it yet. Its tables are made in it, in one transaction
// with a rollback journal, so a crash now leaves it empty again.
void FillEmptyFile(const QString& path, const TableSchema& schema) {
    try {
        SqliteDatabase db(path, false);
        UseJournal(db);
        SqliteTransaction transaction(db);
        SqliteStatement tables(db, "SELECT count(*) FROM sqlite_schema");
        const bool empty = tables.Step() && tables.Int(0) == 0;
        tables.Reset();
        if (!empty)
            return; // another program filled it meanwhile: checked as any file
        db.Exec(schema.createSql.c_str());
        db.Exec(
            QStringLiteral("PRAGMA user_version = %1").arg(schema.version).toUtf8().constData());
        transaction.Commit();
    } catch (const SqliteError& error) {
        throw Failure(TableFailureText(path, QStringLiteral("создать"), error));
    }
}

} // namespace

LogFiles LogFilesOf(const QString& path) {
    return {FactsOf(path + QStringLiteral("-wal")).identity,
            FactsOf(path + QStringLiteral("-shm")).identity};
}

void DropLogOfReplacedFile(const QString& path, const LogFiles& noted) {
    const LogFiles now = LogFilesOf(path);
    if (noted.log && now.log == noted.log)
        QFile::remove(path + QStringLiteral("-wal"));
    if (noted.index && now.index == noted.index)
        QFile::remove(path + QStringLiteral("-shm"));
}

bool NoLongerADatabase(const SqliteDatabase& db, const FileFacts& now) {
    if (!now.identity)
        return false; // gone: the identity tells
    if (now.size < 100)
        return true;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        return false;
    char header[16] = {};
    if (file->pMethods->xRead(file, header, sizeof header, 0) != SQLITE_OK)
        return true;
    return std::memcmp(header, "SQLite format 3", sizeof header) != 0;
}

QString TableFailureText(const QString& path, const QString& action, const SqliteError& error) {
    return QStringLiteral("Не удалось %1 файл «%2»: %3.")
        .arg(action, QDir::toNativeSeparators(path), Reason(error));
}

SqliteDatabase OpenTableFile(const QString& dir, const TableSchema& schema) {
    const QString path = QDir(dir).filePath(schema.fileName);
    if (!QFileInfo::exists(path))
        CreateTableFile(path, schema);
    if (const QFileInfo info(path); info.size() == 0) {
        if (!info.isFile())
            Refuse(path, QStringLiteral("это не обычный файл"));
        FillEmptyFile(path, schema);
    }
    try {
        SqliteDatabase db(path, false);
        const qint64 version = CheckSchema(db, path, schema);
        if (version < schema.version) {
            // The file as it was is kept before it is changed, so an older program (or the
            // user) still has it.
            if (const auto trouble = BackUpBeforeUpgrade(path, int(version)))
                Refuse(path, QStringLiteral("перед переходом на новый формат не удалось сохранить "
                                            "его копию (%1)")
                                 .arg(*trouble));
        }
        UseWriteAheadLog(db);
        Upgrade(db, version, schema, schema.version);
        return db;
    } catch (const SqliteError& error) {
        throw Failure(TableFailureText(path, QStringLiteral("открыть"), error));
    }
}

int FieldIndexIn(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw Failure(QStringLiteral("Field '%1' not found").arg(name));
}

TableFile::TableFile(const QString& dir, const TableSchema& schema)
    : dir_(dir), path_(QDir(dir).filePath(schema.fileName)), schema_(schema) {}

void TableFile::Open(const std::function<void(SqliteDatabase&)>& prepare) {
    Close();
    if (opened_)
        DropLogOfReplacedFile(path_, logFiles_);
    opened_ = false;
    logFiles_ = {};
    SqliteDatabase db = OpenTableFile(dir_, schema_);
    const auto identity = IdentityNow();
    Guarded(QStringLiteral("открыть"), [&] { prepare(db); });
    db_ = std::move(db);
    identity_ = identity;
    logFiles_ = LogFilesOf(path_);
    opened_ = true;
}

FileFacts TableFile::FactsNow() const {
    return FactsOf(path_);
}

void TableFile::Fail(const QString& action, const SqliteError& error) const {
    throw Failure(TableFailureText(path_, action, error));
}

int TableFile::Version() const {
    SqliteStatement version(db_, "PRAGMA user_version");
    Guarded(QStringLiteral("прочитать"), [&] { version.Step(); });
    return int(version.Int(0));
}

void TableFile::RaiseTo(int version) {
    const int found = Version();
    if (found >= version)
        return;
    if (const auto trouble = BackUpBeforeUpgrade(path_, found))
        throw Failure(QStringLiteral("Файл «%1» не переведён на новый формат: не удалось сохранить "
                                     "его копию (%2). Файл оставлен без изменений.")
                          .arg(QDir::toNativeSeparators(path_), *trouble));
    Guarded(QStringLiteral("перевести на новый формат"),
            [&] { Upgrade(db_, found, schema_, version); });
}
