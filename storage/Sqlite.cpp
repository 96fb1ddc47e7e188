#include "Sqlite.h"

#include <QFile>
#include <sqlite3.h>

SqliteDatabase SqliteDatabase::ReadOnly(const QString& path) {
    return SqliteDatabase(path, SQLITE_OPEN_READONLY);
}

SqliteDatabase::SqliteDatabase(const QString& path, bool create)
    : SqliteDatabase(path, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0)) {}

void SqliteDatabase::OwnerOnly(const QString& path) {
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

SqliteDatabase::SqliteDatabase(const QString& path, int flags) {
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        SqliteError error(rc, db_ ? QString::fromUtf8(sqlite3_errmsg(db_))
                                  : QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close(db_);
        db_ = nullptr;
        throw error;
    }
    // The extended codes tell a file moved away from one merely read-only.
    sqlite3_extended_result_codes(db_, 1);
    // Another program writing the file holds it for a moment; the program waits only a
    // little, so a poll or the window is never held up, and tries again later.
    sqlite3_busy_timeout(db_, BusyWaitMsecs);
}

void SqliteDatabase::SetBusyWait(int msecs) {
    sqlite3_busy_timeout(db_, msecs);
}

void SqliteDatabase::FoldLogBack() {
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept {
    if (this != &other) {
        sqlite3_close(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close(db_);
}

void SqliteDatabase::Raise(int code) const {
    throw SqliteError(code, QString::fromUtf8(sqlite3_errmsg(db_)));
}

void SqliteDatabase::Exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Raise(rc);
}

int SqliteError::PrimaryCode() const {
    return code & 0xff;
}

qint64 SqliteDatabase::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

int SqliteDatabase::Changes() const {
    return sqlite3_changes(db_);
}

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : db_(db) {
    const int rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK)
        Raise(rc);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

void SqliteStatement::Raise(int code) const {
    throw SqliteError(code, QString::fromUtf8(sqlite3_errmsg(db_)));
}

SqliteStatement& SqliteStatement::Bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const int rc =
        sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        Raise(rc);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, qint64 value) {
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        Raise(rc);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
    const int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK)
        Raise(rc);
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    const int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        Raise(rc);
    return *this;
}

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    Raise(rc);
}

void SqliteStatement::Run() {
    Step();
    Reset();
}

void SqliteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

bool SqliteStatement::IsInteger(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
}

bool SqliteStatement::IsNumber(int column) const {
    const int type = sqlite3_column_type(stmt_, column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

QVariant SqliteStatement::Value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return Int(column);
    case SQLITE_FLOAT:
        return Double(column);
    default:
        return Text(column);
    }
}

QString SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column)) : QString();
}

QByteArrayView SqliteStatement::Bytes(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(stmt_, column)) : QByteArrayView();
}

qint64 SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double SqliteStatement::Double(int column) const {
    return sqlite3_column_double(stmt_, column);
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db) {
    db_.Exec("BEGIN IMMEDIATE");
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db, TransactionStatements& compiled)
    : db_(db), compiled_(&compiled) {
    const StatementUse begin(compiled.begin);
    begin->Step();
}

SqliteTransaction::~SqliteTransaction() {
    if (open_)
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
    if (compiled_) {
        const StatementUse commit(compiled_->commit);
        commit->Step();
    } else {
        db_.Exec("COMMIT");
    }
    open_ = false;
}
