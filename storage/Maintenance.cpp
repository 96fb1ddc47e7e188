#include "Maintenance.h"

#include "Sqlite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <sqlite3.h>

QString QuickCheck(const QString& path) {
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        result = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        sqlite3_busy_timeout(db, 5000);
        // A whole-file read needs no cache to speak of: keep the memory for the program.
        sqlite3_exec(db, "PRAGMA cache_size = -128", nullptr, nullptr, nullptr);
        sqlite3_stmt* check = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA quick_check(20)", -1, &check, nullptr) == SQLITE_OK) {
            QStringList lines;
            int rc;
            while ((rc = sqlite3_step(check)) == SQLITE_ROW)
                lines << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
            result = rc == SQLITE_DONE ? lines.join(QLatin1Char('\n'))
                                       : QString::fromUtf8(sqlite3_errmsg(db));
        } else {
            result = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    return result;
}

namespace {
// One file copied a few pages at a time through SQLite's backup interface, yielding between
// steps so that the program's own work never waits long behind it, then moved into place.
// The source is read in one transaction: what the program writes meanwhile goes to its log
// and neither joins the copy half-way nor starts it over.
std::optional<QString> CopyDatabase(const QString& from, const QString& to,
                                    const std::function<void()>& betweenSteps = {}) {
    const QString temporary = to + QStringLiteral(".part");
    QFile::remove(temporary);
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    QString trouble;
    if (sqlite3_open_v2(from.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        sqlite3_open_v2(temporary.toUtf8().constData(), &target,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        trouble = QString::fromUtf8(sqlite3_errmsg(target ? target : source));
    } else {
        SqliteDatabase::OwnerOnly(temporary);
        sqlite3_busy_timeout(source, 5000);
        sqlite3_exec(source, "PRAGMA cache_size = -128", nullptr, nullptr, nullptr);
        sqlite3_exec(target, "PRAGMA cache_size = -128", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = nullptr;
        if (sqlite3_exec(source, "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr,
                         nullptr) != SQLITE_OK ||
            !(backup = sqlite3_backup_init(target, "main", source, "main"))) {
            trouble = QString::fromUtf8(sqlite3_errmsg(backup ? source : target));
        } else {
            int rc;
            while ((rc = sqlite3_backup_step(backup, CopyStepPages)) == SQLITE_OK ||
                   rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                if (rc != SQLITE_OK)
                    sqlite3_sleep(50);
                else if (betweenSteps)
                    betweenSteps();
                else
                    QThread::yieldCurrentThread();
            }
            if (rc != SQLITE_DONE)
                trouble = QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_backup_finish(backup);
        }
        sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(source);
    sqlite3_close(target);
    if (trouble.isEmpty() && !QFile::rename(temporary, to))
        trouble = QStringLiteral("не удалось переименовать копию");
    if (!trouble.isEmpty()) {
        QFile::remove(temporary);
        return QStringLiteral("Резервная копия «%1» не сделана: %2.")
            .arg(QDir::toNativeSeparators(to), trouble);
    }
    return std::nullopt;
}
} // namespace

std::optional<QString> BackUpDaily(const QString& dataDir, const QDate& today, int keep,
                                   const std::function<void()>& betweenSteps) {
    const QDir data(dataDir);
    const QString folder = data.filePath(QStringLiteral("backup"));
    QStringList troubles;
    for (const QString& base : {QStringLiteral("data"), QStringLiteral("tarif")}) {
        const QString source = data.filePath(base + QStringLiteral(".db"));
        if (!QFileInfo::exists(source))
            continue;
        if (!QDir().mkpath(folder)) {
            troubles << QStringLiteral("Папку «%1» для резервных копий создать не удалось.")
                            .arg(QDir::toNativeSeparators(folder));
            break;
        }
        const QString copy = QDir(folder).filePath(
            QStringLiteral("%1-%2.db").arg(base, today.toString(Qt::ISODate)));
        if (!QFileInfo::exists(copy)) {
            if (const auto trouble = CopyDatabase(source, copy, betweenSteps))
                troubles << *trouble;
        }
        // The newest `keep` copies up to today stay; their names sort by date. Copies dated
        // later (made while the clock was set ahead) are neither counted nor removed: they
        // would crowd out today's copy, and each may be the only one of its contents.
        const QString newest = QStringLiteral("%1-%2.db").arg(base, today.toString(Qt::ISODate));
        QStringList copies = QDir(folder).entryList(
            {base + QStringLiteral("-[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9].db")}, QDir::Files,
            QDir::Name | QDir::Reversed);
        copies.removeIf([&newest](const QString& name) { return name > newest; });
        for (int i = keep; i < copies.size(); ++i)
            QFile::remove(QDir(folder).filePath(copies[i]));
    }
    if (troubles.isEmpty())
        return std::nullopt;
    return troubles.join(QLatin1Char('\n'));
}

std::optional<QString> BackUpBeforeUpgrade(const QString& path, int version) {
    const QFileInfo file(path);
    const QString folder = file.dir().filePath(QStringLiteral("backup"));
    if (!QDir().mkpath(folder))
        return QStringLiteral("Папку «%1» для резервных копий создать не удалось.")
            .arg(QDir::toNativeSeparators(folder));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = QDir(folder).filePath(
        QStringLiteral("%1-v%2-%3.db").arg(file.completeBaseName()).arg(version).arg(stamp));
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = QDir(folder).filePath(QStringLiteral("%1-v%2-%3-%4.db")
                                         .arg(file.completeBaseName())
                                         .arg(version)
                                         .arg(stamp)
                                         .arg(n));
    return CopyDatabase(path, copy);
}
