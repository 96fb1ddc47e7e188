#pragma once
// A thin owner of SQLite's C handles: a connection, statements that finalize themselves
// and bind parameters only, and a transaction that rolls back unless committed.

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <optional>
#include <string>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

// Raised by the wrapper with SQLite's result code; the tables turn it into a message
// that names their file.
class SqliteError {
public:
    SqliteError(int code, QString message) : code(code), message(std::move(message)) {}
    int PrimaryCode() const; // the code without its extended part
    int code;                // extended result code
    QString message;
};

class SqliteDatabase {
public:
    // How long a statement waits for another program that holds the file.
    static constexpr int BusyWaitMsecs = 10;

    SqliteDatabase() = default;
    // Opens an existing file for reading and writing; with create, makes it when missing.
    SqliteDatabase(const QString& path, bool create);
    // Opens an existing file for reading only: a reader beside the running program.
    static SqliteDatabase ReadOnly(const QString& path);
    // Readable and writable by its owner alone (0600), as every database file made here is.
    static void OwnerOnly(const QString& path);
    SqliteDatabase(SqliteDatabase&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}
    SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;
    ~SqliteDatabase();

    void Exec(const char* sql);
    void SetBusyWait(int msecs);
    // Copies what the write-ahead log holds back into the file, as far as readers allow,
    // without waiting for anyone. Failures are left for the next time.
    void FoldLogBack();
    qint64 LastInsertId() const;
    int Changes() const;
    sqlite3* handle() const { return db_; }
    [[noreturn]] void Raise(int code) const;

private:
    SqliteDatabase(const QString& path, int flags);
    sqlite3* db_ = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement(const SqliteDatabase& db, const char* sql)
        : SqliteStatement(db.handle(), sql) {}
    SqliteStatement(sqlite3* db, const char* sql);
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    SqliteStatement& Bind(int index, const QString& text);
    SqliteStatement& Bind(int index, qint64 value);
    SqliteStatement& Bind(int index, double value);
    SqliteStatement& BindNull(int index);
    // Binds a value, or NULL when there is none.
    template <typename T> SqliteStatement& Bind(int index, const std::optional<T>& value) {
        return value ? Bind(index, *value) : BindNull(index);
    }

    // Steps once: true while a row is there to read.
    bool Step();
    // Runs a statement that returns no rows, then readies it for another run.
    void Run();
    void Reset();

    bool IsNull(int column) const;
    bool IsInteger(int column) const;
    bool IsNumber(int column) const; // an integer or a real, not a text
    QString Text(int column) const;
    // The column's UTF-8 bytes, valid until the next step.
    QByteArrayView Bytes(int column) const;
    qint64 Int(int column) const;
    double Double(int column) const;
    // The value as it is stored: qint64, double, QString (a blob as its bytes' text), or an
    // invalid QVariant for NULL.
    QVariant Value(int column) const;

private:
    [[noreturn]] void Raise(int code) const;

    sqlite3* db_; // the connection's handle stays the same when its owner is moved
    sqlite3_stmt* stmt_ = nullptr;
};

// A statement compiled at its first use, for those a run may never need (a report's, a
// search's): a start compiles only what showing the records takes. Its first use can throw
// what compiling throws, so it is used where a statement's step may throw anyway.
class LazyStatement {
public:
    // The connection, not the object that holds it now, which may move.
    LazyStatement(const SqliteDatabase& db, std::string sql)
        : db_(db.handle()), sql_(std::move(sql)) {}
    SqliteStatement& operator*() {
        if (!statement_)
            statement_.emplace(db_, sql_.c_str());
        return *statement_;
    }

private:
    sqlite3* db_;
    std::string sql_;
    std::optional<SqliteStatement> statement_;
};

// A statement in use for one run: reset, its bindings cleared, when the scope ends, however
// it ends, so the next run starts afresh and no read is left holding the file.
class StatementUse {
public:
    explicit StatementUse(SqliteStatement& statement) : statement_(statement) {}
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    ~StatementUse() { statement_.Reset(); }
    SqliteStatement* operator->() const { return &statement_; }
    SqliteStatement& operator*() const { return statement_; }

private:
    SqliteStatement& statement_;
};

// The two statements that begin and commit a transaction, compiled once, for a connection
// that writes often: compiling them is a good part of a one-row write's own work.
struct TransactionStatements {
    explicit TransactionStatements(const SqliteDatabase& db)
        : begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT") {}
    SqliteStatement begin, commit;
};

// Begun as a writer at once (BEGIN IMMEDIATE); rolled back at the end of its scope unless
// committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    SqliteTransaction(SqliteDatabase& db, TransactionStatements& compiled);
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    ~SqliteTransaction();
    void Commit();

private:
    SqliteDatabase& db_;
    TransactionStatements* compiled_ = nullptr;
    bool open_ = true;
};
