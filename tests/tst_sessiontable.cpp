#include "TestFiles.h"
#include "storage/Checkpoint.h"
#include "storage/Failure.h"
#include "storage/SessionTable.h"

#include <QtTest>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {
SessionRecord Record(QDate date, const QString& start) {
    return {date,
            start,
            QStringLiteral("10:00:00"),
            QStringLiteral("1:00:00"),
            QStringLiteral("20"),
            QStringLiteral("20")};
}
const QDate Dec1(2026, 12, 1), Dec5(2026, 12, 5), Dec7(2026, 12, 7), Dec8(2026, 12, 8);

// The starts of the rows in view, newest first, as the grid reads them.
QStringList Walk(const SessionTable& table) {
    QStringList starts;
    for (const SessionRow& row : table.ReadRows(0, 1000))
        starts << row.record.startTime;
    return starts;
}

void MoveToNewest(SessionTable& table) {
    table.MoveTo(table.ReadRows(0, 1).at(0).id);
}

// The starts of the records the file holds by itself, without its log beside it: what a
// copy of data.db alone would hold.
QStringList StartsInFileAlone(const QString& path) {
    QTemporaryDir copy;
    const QString alone = copy.filePath("alone.db");
    if (!QFile::copy(path, alone))
        return {QStringLiteral("(not copied)")};
    return RawSql(alone, "SELECT WremN FROM session ORDER BY id");
}

// Another program reading the file: until Release() it keeps the view it had, so no
// fold-back can take what was written since into the file.
class HeldReader {
public:
    explicit HeldReader(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &db_);
        sqlite3_exec(db_, "BEGIN; SELECT count(*) FROM session", nullptr, nullptr, nullptr);
    }
    ~HeldReader() { Release(); }
    void Release() {
        if (!db_)
            return;
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
};

// Counts the syncs the test's own thread asks of SQLite's files, through a VFS made the
// default that hands each file the default one's methods but its own sync.
namespace Syncs {
struct Methods {
    sqlite3_io_methods ours;
    const sqlite3_io_methods* real;
};
std::mutex guard;
std::map<const sqlite3_io_methods*, std::unique_ptr<Methods>> wrapped;
sqlite3_vfs* real = nullptr;
sqlite3_vfs counting;
std::thread::id counted;
std::atomic<int> count{0};

int Sync(sqlite3_file* file, int flags) {
    if (std::this_thread::get_id() == counted)
        ++count;
    return reinterpret_cast<const Methods*>(file->pMethods)->real->xSync(file, flags);
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out) {
    const int rc = real->xOpen(real, name, file, flags, out);
    if (rc == SQLITE_OK && file->pMethods) {
        const std::lock_guard lock(guard);
        auto& m = wrapped[file->pMethods];
        if (!m) {
            m = std::make_unique<Methods>(Methods{*file->pMethods, file->pMethods});
            m->ours.xSync = Sync;
        }
        file->pMethods = &m->ours;
    }
    return rc;
}

void Install() {
    real = sqlite3_vfs_find(nullptr);
    counting = *real;
    counting.zName = "counting";
    counting.xOpen = Open;
    sqlite3_vfs_register(&counting, 1);
    counted = std::this_thread::get_id();
}
} // namespace Syncs

} // namespace

class TestSessionTable : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Syncs::Install(); }

    // Missing, or empty as a power loss while it was made leaves it: a new database.
    void createsTheSchemaWhenMissing_data() {
        QTest::addColumn<bool>("empty");
        QTest::newRow("missing") << false;
        QTest::newRow("empty") << true;
    }
    void createsTheSchemaWhenMissing() {
        QFETCH(bool, empty);
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        if (empty)
            WriteFile(path, "");
        { SessionTable table(dir.path()); }
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"4"});
        QCOMPARE(RawSql(path, "SELECT sql FROM sqlite_master WHERE name='session'"),
                 QStringList{"CREATE TABLE session(id INTEGER PRIMARY KEY AUTOINCREMENT, "
                             "Data TEXT NOT NULL, WremN TEXT NOT NULL, WremW TEXT NOT NULL, "
                             "Itogo TEXT NOT NULL, Tarif TEXT NOT NULL, Summ TEXT NOT NULL)"});
        QCOMPARE(RawSql(path, "SELECT count(*) FROM open_segment"), QStringList{"0"});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"data.db"});
        // Made here: its owner's alone (a file that was there keeps its mode).
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ReadOther | QFileDevice::WriteOther;
        if (!empty)
            QCOMPARE(QFile::permissions(path) & others, QFileDevice::Permissions());
    }

    void storesTheContractForms() {
        QTemporaryDir dir;
        {
            SessionTable table(dir.path());
            table.Append({Dec7, "9:15:00", "10:45:30", "1:30:30", "20", "30,1666666666667"});
        }
        QCOMPARE(RawSql(dir.filePath("data.db"),
                        "SELECT Data||'|'||WremN||'|'||WremW||'|'||Itogo||'|'||Tarif||'|'||Summ "
                        "FROM session"),
                 QStringList{"2026-12-07|9:15:00|10:45:30|1:30:30|20|30,1666666666667"});
        SessionTable reopened(dir.path());
        QCOMPARE(reopened.FieldText("Data"), QStringLiteral("07.12.2026"));
        QCOMPARE(reopened.FieldText("Summ"), QStringLiteral("30,1666666666667"));
    }

    void refusesFilesThatAreNotItsOwn_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text file") << "text"
                                   << "не является базой данных SQLite";
        QTest::newRow("another program's database") << "foreign"
                                                    << "нет таблицы «session»";
        QTest::newRow("same table, other columns") << "columns"
                                                   << "устроена не так";
        QTest::newRow("newer format") << "newer"
                                      << "более новой версией";
        QTest::newRow("damaged") << "damaged"
                                 << "Не удалось открыть";
    }
    void refusesFilesThatAreNotItsOwn() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        if (kind == "text") {
            WriteFile(path, "Дата;Сумма\n07.12.2026;20\n");
        } else if (kind == "foreign") {
            RawSql(path, "CREATE TABLE contacts(name TEXT); INSERT INTO contacts VALUES('x')");
        } else if (kind == "columns") {
            RawSql(path, "CREATE TABLE session(id INTEGER PRIMARY KEY, Start TEXT);"
                         "PRAGMA user_version = 1");
        } else if (kind == "newer") {
            { SessionTable table(dir.path()); }
            RawSql(path, "PRAGMA user_version = 6");
        } else {
            { SessionTable table(dir.path()); }
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(16); // page size and the rest of the header: garbage
            f.write(QByteArray(200, '\xA5'));
        }
        const QByteArray before = FileDigest(path);
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

        const QString message = FailureOf([&] { SessionTable table(dir.path()); });
        QVERIFY2(message.contains(path), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(FileDigest(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    }

    // Step by step, each in its own transaction: one that fails leaves the file at the version
    // of the last that succeeded, and it goes on from there once it can.
    void aFirstVersionFileIsUpgradedKeepingItsRows_data() {
        QTest::addColumn<bool>("thirdStepFails");
        QTest::newRow("every step") << false;
        QTest::newRow("the third step fails at first") << true;
    }
    void aFirstVersionFileIsUpgradedKeepingItsRows() {
        QFETCH(bool, thirdStepFails);
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        RawSql(path, "CREATE TABLE session(id INTEGER PRIMARY KEY AUTOINCREMENT, Data TEXT NOT "
                     "NULL, WremN TEXT NOT NULL, WremW TEXT NOT NULL, Itogo TEXT NOT NULL, Tarif "
                     "TEXT NOT NULL, Summ TEXT NOT NULL);"
                     "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                     "VALUES('2026-12-07', '9:00:00', '10:00:00', '1:00:00', '20', '20');"
                     "PRAGMA user_version = 1");
        if (thirdStepFails) { // a table of that name is in the way of the third
            RawSql(path, "CREATE TABLE day_total(x)");
            const QString message = FailureOf([&] { SessionTable table(dir.path()); });
            QVERIFY2(message.contains("day_total"), qPrintable(message));
            QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"3"});
            RawSql(path, "DROP TABLE day_total");
        }
        SessionTable table(dir.path());
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"4"});
        QCOMPARE(Walk(table), QStringList{"9:00:00"});
        QCOMPARE(table.LeftOpen(Dec8, 0), std::nullopt);
        QCOMPARE(table.RowCount(), 1); // the kept count starts from the rows there
    }

    // The file stays at version 4 while no traffic comes; the first bytes bring it to 5, a
    // copy kept, and from then on each record, the open segment and each day keep theirs.
    void theTrafficTakesItsVersionWhenFirstCounted() {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        SessionTable table(dir.path());
        table.Append(Record(Dec7, "1"), OpenSegment{Dec7, 0, Dec7, 1000, "20"});
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"4"});
        QCOMPARE(RawSql(path, "SELECT count(*) FROM sqlite_master WHERE name LIKE '%volume%'"),
                 QStringList{"0"});
        SessionRecord counted = Record(Dec7, "2");
        counted.traffic = Traffic{100, 20};
        OpenSegment open{Dec7, 0, Dec7, 1000, "20"};
        open.traffic = Traffic{5, 6};
        table.Checkpoint(open); // the open segment's bytes alone bring it to version 5
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"5"});
        table.Append(counted, open);
        SessionRecord more = Record(Dec7, "2b");
        more.traffic = Traffic{1, 2};
        table.Append(more, open);
        table.Append(Record(Dec8, "3")); // stored while counting stopped: no bytes
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"5"});
        QCOMPARE(QDir(dir.filePath("backup")).entryList(QDir::Files).size(), 1);
        SessionTable other(dir.path()); // a second reader of the same file
        for (SessionTable* t : {&table, &other}) {
            const auto rows = t->ReadRows(0, 4);
            QCOMPARE(rows[0].record.traffic, std::nullopt);
            QCOMPARE(rows[1].record.traffic, (Traffic{1, 2}));
            QCOMPARE(rows[2].record.traffic, (Traffic{100, 20}));
            QCOMPARE(rows[3].record.traffic, std::nullopt); // from before: none, not zero
            QCOMPARE(t->LeftOpen(Dec7, 2000)->traffic, (Traffic{5, 6}));
            const auto days = t->DayTotalsIn(Dec7, Dec8);
            QCOMPARE(days[0].traffic, (Traffic{101, 22}));
            QCOMPARE(days[1].traffic, std::nullopt);
            QCOMPARE(SpendTotal::Of(days).traffic, (Traffic{101, 22}));
            QCOMPARE(DayTotals::ReadFile(path, Dec7, Dec8)[0].traffic, (Traffic{101, 22}));
        }
        table.Checkpoint(std::nullopt);
        QCOMPARE(RawSql(path, "SELECT count(*) FROM open_volume"), QStringList{"0"});
        table.MoveTo(table.ReadRows(2, 1)[0].id);
        table.DeleteCurrent(); // its bytes go with it, from its day too
        QCOMPARE(RawSql(path, "SELECT count(*) FROM session_volume"), QStringList{"1"});
        QCOMPARE(table.DayTotalsIn(Dec7, Dec7)[0].traffic, (Traffic{1, 2}));
    }

    void theKeptCountFollowsEveryWriter() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append(Record(Dec7, "1"));
        table.Append(Record(Dec7, "2"));
        RawSql(table.FilePath(), "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                                 "VALUES('2026-12-07', 'by hand', '', '', '', '')");
        RawSql(table.FilePath(), "DELETE FROM session WHERE WremN = '1'");
        SessionTable reopened(dir.path());
        QCOMPARE(reopened.RowCount(), 2);
        MoveToNewest(reopened);
        reopened.DeleteCurrent();
        QCOMPARE(RawSql(table.FilePath(), "SELECT n = (SELECT count(*) FROM session) FROM "
                                          "session_count"),
                 QStringList{"1"});
    }

    void theOpenSegmentGoesWithTheRecordInOneTransaction() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        const OpenSegment open{Dec7, 1000, Dec7, 5000, "20"};
        table.Checkpoint(open);
        QCOMPARE(table.LeftOpen(Dec8, 0), open);
        const OpenSegment next{Dec7, 5000, Dec7, 5000, "10"};
        table.Append(Record(Dec7, "split"), next);
        QCOMPARE(table.LeftOpen(Dec8, 0), next);
        table.Append(Record(Dec7, "gone"), std::nullopt);
        QCOMPARE(table.LeftOpen(Dec8, 0), std::nullopt);
        QCOMPARE(table.RowCount(), 2);
        // A failed write changes neither the rows nor the open segment.
        table.Checkpoint(open);
        sqlite3* other = nullptr;
        sqlite3_open(table.FilePath().toUtf8().constData(), &other);
        sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        QVERIFY(!FailureOf([&] { table.Append(Record(Dec7, "locked"), std::nullopt); }).isEmpty());
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(table.RowCount(), 2);
        QCOMPARE(table.LeftOpen(Dec8, 0), open);
    }

    void newestRowFirst() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        QCOMPARE(table.RowCount(), 0);
        QVERIFY(!table.CurrentId());
        for (const char* start : {"1:00:00", "2:00:00", "3:00:00"})
            table.Append(Record(Dec7, start));
        QCOMPARE(Walk(table), (QStringList{"3:00:00", "2:00:00", "1:00:00"}));
        QCOMPARE(table.RowCount(), 3);
        const auto rows = table.ReadRows(1, 5);
        QCOMPARE(rows.size(), 2u);
        QCOMPARE(rows[0].record.startTime, QStringLiteral("2:00:00"));
        QCOMPARE(table.OffsetOf(rows[1].id), 2);
    }

    void fieldNamesIgnoreCase() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append({Dec7, "9:15:00", "10:45:30", "1:30:30", "20", "30"});
        const QStringList expected{"07.12.2026", "9:15:00", "10:45:30", "1:30:30", "20", "30"};
        const QStringList names{"data", "Wremn", "wremw", "itogo", "tarif", "summ"};
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(table.FieldText(names[i]), expected[i]);
            QCOMPARE(table.FieldText(names[i].toUpper()), expected[i]);
        }
        QCOMPARE(FailureOf([&] { table.FieldText("Sum"); }),
                 QStringLiteral("Field 'Sum' not found"));
    }

    void dateFilter_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("expression");
        QTest::newRow("whole week") << Dec1 << Dec7 << QStringList{"7", "5", "1"}
                                    << "data>='01.12.2026' and data<='07.12.2026'";
        QTest::newRow("equal ends")
            << Dec5 << Dec5 << QStringList{"5"} << "data>='05.12.2026' and data<='05.12.2026'";
        QTest::newRow("reversed ends")
            << Dec7 << Dec1 << QStringList{} << "data>='07.12.2026' and data<='01.12.2026'";
        QTest::newRow("ends inclusive")
            << Dec5 << Dec7 << QStringList{"7", "5"} << "data>='05.12.2026' and data<='07.12.2026'";
    }
    void dateFilter() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, rows);
        QFETCH(QString, expression);
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append(Record(Dec1, "1"));
        table.Append(Record(Dec5, "5"));
        table.Append(Record(Dec7, "7"));
        table.SetDateFilter(from, to);
        QVERIFY(table.Filtered());
        QCOMPARE(table.FilterText(), expression);
        QCOMPARE(Walk(table), rows);
        QCOMPARE(table.RowCount(), rows.size());
        table.ClearDateFilter();
        table.ClearDateFilter(); // twice is harmless
        QCOMPARE(Walk(table), (QStringList{"7", "5", "1"}));
    }

    void appendWhileFilteredGoesFirst() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append(Record(Dec1, "1"));
        table.Append(Record(Dec7, "7"));
        table.SetDateFilter(Dec1, Dec1);
        table.Append(Record(Dec5, "5 outside"));
        table.Append(Record(Dec1, "1 inside"));
        QCOMPARE(Walk(table), (QStringList{"1 inside", "1"}));
        table.ClearDateFilter();
        QCOMPARE(Walk(table), (QStringList{"1 inside", "5 outside", "7", "1"}));
    }

    void deleteCurrent() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        QCOMPARE(FailureOf([&] { table.DeleteCurrent(); }),
                 QStringLiteral("Cannot perform this operation on an empty dataset"));
        for (const char* start : {"1", "2", "3"})
            table.Append(Record(Dec7, start));
        table.MoveTo(2); // on "2"
        QCOMPARE(table.RowCount(), 3);
        table.DeleteCurrent();
        QCOMPARE(table.RowCount(), 2);
        QCOMPARE(table.FieldText("WremN"), QStringLiteral("1")); // the next row
        table.DeleteCurrent();
        QCOMPARE(table.FieldText("WremN"), QStringLiteral("3")); // at the end: the one before
        table.DeleteCurrent();
        QVERIFY(!table.CurrentId());
        QCOMPARE(FailureOf([&] { table.DeleteCurrent(); }),
                 QStringLiteral("Cannot perform this operation on an empty dataset"));
        QCOMPARE(RawSql(table.FilePath(), "SELECT count(*) FROM session"), QStringList{"0"});
    }

    void deleteOnEmptyFilteredViewChangesNothing() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append(Record(Dec7, "7"));
        table.SetDateFilter(Dec1, Dec1);
        QVERIFY(!FailureOf([&] { table.DeleteCurrent(); }).isEmpty());
        table.ClearDateFilter();
        QCOMPARE(table.RowCount(), 1);
    }

    void appendKeepsTheCurrentRowAndSignals() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        QVERIFY(!table.CurrentId());
        table.Append(Record(Dec7, "old")); // the first record of an empty view becomes current
        QVERIFY(table.CurrentId());
        QCOMPARE(table.FieldText("wremn"), QStringLiteral("old"));
        QSignalSpy changed(&table, &SessionTable::Inserted);
        table.Append(Record(Dec7, "new"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(table.FieldText("wremn"), QStringLiteral("old"));
    }

    void failedWriteStoresNothingAndSaysWhy() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append(Record(Dec7, "1"));
        // Another program holds a write lock: the append fails, names the file, and
        // stores nothing.
        sqlite3* other = nullptr;
        sqlite3_open(table.FilePath().toUtf8().constData(), &other);
        sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        const QString message = FailureOf([&] { table.Append(Record(Dec7, "2")); });
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QVERIFY2(message.contains(table.FilePath()) && message.contains("занят"),
                 qPrintable(message));
        QCOMPARE(Walk(table), QStringList{"1"});
        table.Append(Record(Dec7, "2")); // and works again once the lock is gone
        QCOMPARE(Walk(table), (QStringList{"2", "1"}));
    }

    // The grid is told the id of the record just stored, also when the same transaction
    // keeps the open segment (whose own row would otherwise be the last one inserted).
    void insertedNamesTheNewRow_data() {
        QTest::addColumn<bool>("withOpenSegment");
        QTest::newRow("record alone") << false;
        QTest::newRow("record and the open segment") << true;
    }
    void insertedNamesTheNewRow() {
        QFETCH(bool, withOpenSegment);
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append(Record(Dec7, "1"));
        table.Append(Record(Dec7, "2"));
        QSignalSpy inserted(&table, &SessionTable::Inserted);
        const OpenSegment open{Dec7, 1000, Dec7, 2000, "20"};
        table.Append(Record(Dec7, "3"), withOpenSegment ? std::optional(open) : std::nullopt);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted[0][0].toLongLong(), 3);
    }

    // Readers never wait for the program nor the program for them; another writer holding
    // the file makes a write fail at once (it is tried again later), never hang.
    void readersAndWritersOfOtherPrograms() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        QCOMPARE(RawSql(table.FilePath(), "PRAGMA journal_mode"), QStringList{"wal"});
        sqlite3* reader = nullptr;
        sqlite3_open(table.FilePath().toUtf8().constData(), &reader);
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM session", nullptr, nullptr, nullptr);
        table.Append(Record(Dec7, "1"), OpenSegment{Dec7, 1000, Dec7, 2000, "20"});
        table.Checkpoint(OpenSegment{Dec7, 1000, Dec7, 5000, "20"});
        sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(reader);
        QCOMPARE(Walk(table), QStringList{"1"});

        sqlite3* writer = nullptr;
        sqlite3_open(table.FilePath().toUtf8().constData(), &writer);
        sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        // Told while the other writer still holds the file: the write gave up, it did not
        // wait for the other to finish.
        const QString message = FailureOf([&] { table.Checkpoint(std::nullopt); });
        sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(writer);
        QVERIFY2(message.contains("занят"), qPrintable(message));
    }

    // The file at the path is no longer the one open: deleted, moved away, or another put
    // in its place. The next write opens what is there (making it when missing), stores
    // there and says so once.
    void aFileReplacedWhileOpenIsOpenedAgain_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("afterwards");
        QTest::addColumn<QString>("told");
        QTest::newRow("deleted") << "delete" << QStringList{"new"} << "удалён или перемещён";
        QTest::newRow("moved away") << "move" << QStringList{"new"} << "удалён или перемещён";
        QTest::newRow("replaced by rename")
            << "replace" << QStringList{"new", "other"} << "заменён другим";
        QTest::newRow("replaced with its log")
            << "with log" << QStringList{"new", "in its log", "other"} << "заменён другим";
        QTest::newRow("emptied in place") << "empty" << QStringList{"new"} << "очищен";
    }
    void aFileReplacedWhileOpenIsOpenedAgain() {
        QFETCH(QString, how);
        QFETCH(QStringList, afterwards);
        QFETCH(QString, told);
        QTemporaryDir dir, elsewhere;
        {
            SessionTable other(elsewhere.path());
            other.Append(Record(Dec1, "other"));
        }
        if (how == "with log")
            CommitLeftInLog(elsewhere.filePath("data.db"),
                            "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                            "VALUES('2026-12-01', 'in its log', '', '', '', '')");
        auto table = std::make_unique<SessionTable>(dir.path());
        table->Append(Record(Dec7, "old"));
        QTRY_VERIFY(table->FoldsRun() >= 1); // the file as it lies a while after a record,
        table->Checkpoint(OpenSegment{Dec7, 1000, Dec7, 1500, "20"}); // and a poll after it
        QSignalSpy notices(table.get(), &SessionTable::Notice);
        QSignalSpy viewChanged(table.get(), &SessionTable::ViewChanged);
        const QString path = table->FilePath();
        if (how == "delete")
            QVERIFY(QFile::remove(path));
        else if (how == "move")
            QVERIFY(QFile::rename(path, elsewhere.filePath("moved.db")));
        else if (how == "empty")
            QVERIFY(QFile::resize(path, 0));
        else
            for (const QString part : {"-wal", "-shm", ""}) // the log first, as a copy would
                if (QFileInfo::exists(elsewhere.filePath("data.db") + part))
                    QVERIFY(::rename(QFile::encodeName(elsewhere.filePath("data.db") + part),
                                     QFile::encodeName(path + part)) == 0);
        table->Append(Record(Dec7, "new"), OpenSegment{Dec7, 1000, Dec7, 2000, "20"});
        QCOMPARE(notices.count(), 1);
        QVERIFY2(notices[0][0].toString().contains(told), qPrintable(notices[0][0].toString()));
        QCOMPARE(viewChanged.count(), 1);
        QCOMPARE(Walk(*table), afterwards);
        QCOMPARE(RawSql(path, "SELECT LastTime FROM open_segment"), QStringList{"2000"});
        table->Append(Record(Dec7, "later"));
        QCOMPARE(notices.count(), 1); // told once
        table.reset();                // the file left behind opens whole, with every record
        table = std::make_unique<SessionTable>(dir.path());
        QCOMPARE(Walk(*table), QStringList{"later"} + afterwards);
        if (how == "empty") { // emptied, then pages of it written back: no database either
            QVERIFY(QFile::resize(path, 0) && QFile::resize(path, 8192));
            const QString message = FailureOf([&] { table->Append(Record(Dec7, "kept")); });
            QVERIFY2(message.contains(path) && message.contains("не является базой данных"),
                     qPrintable(message));
        }
        if (how == "move") // the moved file keeps what it had
            QCOMPARE(RawSql(elsewhere.filePath("moved.db"), "SELECT WremN FROM session"),
                     QStringList{"old"});
    }

    // A stored record reaches the file itself soon after, without the writer waiting for it:
    // data.db alone, copied or moved away, holds every record. Also in a file that took the
    // place of the one opened first, and once a reader that held the fold-back up lets go.
    void aStoredRecordReachesTheFileAloneSoon_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("the file opened") << "opened";
        QTest::newRow("a file put in its place") << "replaced";
        QTest::newRow("after a reader held it up") << "held";
    }
    void aStoredRecordReachesTheFileAloneSoon() {
        QFETCH(QString, how);
        QTemporaryDir dir, elsewhere;
        SessionTable table(dir.path());
        qint64 now = 0;
        table.SetMonotonicClock([&now] { return now; });
        const QString path = table.FilePath();
        QStringList stored;
        if (how == "replaced") {
            table.Append(Record(Dec7, "before"));
            { SessionTable other(elsewhere.path()); }
            QVERIFY(::rename(QFile::encodeName(elsewhere.filePath("data.db")).constData(),
                             QFile::encodeName(path).constData()) == 0);
        }
        if (how == "held") {
            HeldReader reader(path);
            table.Append(Record(Dec7, "held"));
            QTRY_VERIFY(table.FoldsRun() >= 1);
            QCOMPARE(StartsInFileAlone(path), QStringList{}); // the reader's view stays whole
            reader.Release();
            stored << "held";
        }
        table.Append(Record(Dec7, "1"));
        now += 60'000; // a minute after the fold-back before
        table.Append(Record(Dec7, "2"), OpenSegment{Dec7, 1000, Dec7, 2000, "20"});
        stored << "1"
               << "2";
        QTRY_COMPARE(StartsInFileAlone(path), stored);
    }

    // The log left by the file open before is folded back into that file before it is closed
    // and its log removed, even when the fold-back's own thread could not do it (a reader
    // held it up): the file moved away holds every record it was given.
    void aFileMovedAwayKeepsItsRecords_data() {
        QTest::addColumn<bool>("writtenAgain");
        QTest::newRow("the table closed") << false;
        QTest::newRow("the next record opens a new file") << true;
    }
    void aFileMovedAwayKeepsItsRecords() {
        QFETCH(bool, writtenAgain);
        QTemporaryDir dir, elsewhere;
        const QString moved = elsewhere.filePath("moved.db");
        {
            SessionTable table(dir.path());
            qint64 now = 0;
            table.SetMonotonicClock([&now] { return now; });
            table.Append(Record(Dec7, "1"));
            QTRY_COMPARE(StartsInFileAlone(table.FilePath()), QStringList{"1"});
            QTRY_COMPARE(table.FoldsRun(), quint64(1)); // and nothing more is asked for
            {
                HeldReader reader(table.FilePath());
                now += 60'000;
                table.Append(Record(Dec7, "2"));
                QTRY_COMPARE(table.FoldsRun(), quint64(2)); // run, and held up
            }
            QCOMPARE(StartsInFileAlone(table.FilePath()), QStringList{"1"});
            QVERIFY(QFile::rename(table.FilePath(), moved));
            if (writtenAgain) {
                table.Append(Record(Dec7, "new"));
                QCOMPARE(Walk(table), QStringList{"new"});
            }
        }
        QVERIFY(!QFileInfo::exists(moved + "-wal"));
        QCOMPARE(RawSql(moved, "SELECT WremN FROM session ORDER BY id"), (QStringList{"1", "2"}));
        if (writtenAgain)
            QCOMPARE(StartsInFileAlone(dir.filePath("data.db")), QStringList{"new"});
    }

    // Opened beside the program (a report run) and closed having stored nothing, the table
    // leaves the file as it was: what the program's log holds stays in the log.
    void aTableThatStoredNothingLeavesTheFileAsItWas() {
        QTemporaryDir dir;
        { SessionTable create(dir.path()); }
        const QString path = dir.filePath("data.db");
        sqlite3* program = nullptr;
        sqlite3_open(path.toUtf8().constData(), &program);
        sqlite3_exec(program,
                     "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                     "VALUES('2026-12-07', '9:00:00', '10:00:00', '1:00:00', '20', '20')",
                     nullptr, nullptr, nullptr);
        const QByteArray before = FileDigest(path);
        {
            SessionTable table(dir.path());
            QCOMPARE(Walk(table), QStringList{"9:00:00"});
        }
        QCOMPARE(FileDigest(path), before);
        sqlite3_close(program);
    }

    // The file swapped again and again right after records, while fold-backs may be running:
    // each file that takes the place keeps its own records and its own log, and stays sound,
    // and one moved away keeps all it was given.
    void aFileReplacedAgainAndAgainStaysWhole() {
        QTemporaryDir dir, elsewhere;
        SessionTable table(dir.path());
        const QString path = table.FilePath();
        QStringList inFile; // the records of the file at the path, oldest first
        for (int round = 0; round < 12; ++round) {
            const QString start = QString::number(round);
            table.Append(Record(Dec7, start + "a"));
            inFile << start + "a";
            const QString moved = elsewhere.filePath(start + ".db");
            const QStringList movedAway = inFile;
            inFile.clear();
            if (round % 3 == 0) {
                QVERIFY(QFile::remove(path));
            } else if (round % 3 == 1) {
                QVERIFY(QFile::rename(path, moved));
            } else {
                {
                    SessionTable other(elsewhere.path());
                    other.Append(Record(Dec1, start + "other"));
                }
                QVERIFY(::rename(QFile::encodeName(elsewhere.filePath("data.db")).constData(),
                                 QFile::encodeName(path).constData()) == 0);
                inFile << start + "other";
            }
            table.Append(Record(Dec7, start + "b"), OpenSegment{Dec7, 1000, Dec7, 2000, "20"});
            table.Append(Record(Dec7, start + "c"));
            inFile << start + "b" << start + "c";
            const QStringList newestFirst(inFile.rbegin(), inFile.rend());
            QCOMPARE(Walk(table), newestFirst);
            QCOMPARE(RawSql(path, "PRAGMA integrity_check"), QStringList{"ok"});
            QCOMPARE(RawSql(path, "SELECT LastTime FROM open_segment"), QStringList{"2000"});
            if (round % 3 == 1)
                QCOMPARE(RawSql(moved, "SELECT WremN FROM session ORDER BY id"), movedAway);
        }
    }

    // A row on screen is never deleted by its number from a file that took its file's place.
    void noDeleteInAFileThatReplacedTheOpenOne() {
        QTemporaryDir dir, elsewhere;
        {
            SessionTable other(elsewhere.path());
            other.Append(Record(Dec1, "keep"));
        }
        SessionTable table(dir.path());
        table.Append(Record(Dec7, "mine"));
        QVERIFY(::rename(QFile::encodeName(elsewhere.filePath("data.db")).constData(),
                         QFile::encodeName(table.FilePath()).constData()) == 0);
        const QString message = FailureOf([&] { table.DeleteCurrent(); });
        QVERIFY2(message.contains("не удалена"), qPrintable(message));
        QCOMPARE(Walk(table), QStringList{"keep"});
    }

    // Every field of the open segment is checked as it is read; a row that does not read is
    // told with its fields and set aside.
    void aDamagedOpenSegmentIsToldAndSetAside_data() {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<bool>("sound");
        QTest::newRow("as written")
            << QByteArray("'2026-12-07', 1000, '2026-12-07', 2000, '20'") << true;
        QTest::newRow("empty rate")
            << QByteArray("'2026-12-07', 1000, '2026-12-07', 2000, ''") << false;
        QTest::newRow("rate no number")
            << QByteArray("'2026-12-07', 1000, '2026-12-07', 2000, 'abc'") << false;
        QTest::newRow("rate with a point")
            << QByteArray("'2026-12-07', 1000, '2026-12-07', 2000, '12.5'") << false;
        QTest::newRow("rate with a comma")
            << QByteArray("'2026-12-07', 1000, '2026-12-07', 2000, '12,5'") << true;
        QTest::newRow("start date no date")
            << QByteArray("'7.12.2026', 1000, '2026-12-07', 2000, '20'") << false;
        QTest::newRow("time past the day")
            << QByteArray("'2026-12-07', 86400000, '2026-12-08', 2000, '20'") << false;
        QTest::newRow("negative time")
            << QByteArray("'2026-12-07', 1000, '2026-12-07', -1, '20'") << false;
        QTest::newRow("time as text")
            << QByteArray("'2026-12-07', '9:00', '2026-12-07', 2000, '20'") << false;
    }
    void aDamagedOpenSegmentIsToldAndSetAside() {
        QFETCH(QByteArray, values);
        QFETCH(bool, sound);
        QTemporaryDir dir;
        { SessionTable table(dir.path()); }
        RawSql(dir.filePath("data.db"),
               "INSERT INTO open_segment(id, StartDate, StartTime, LastDate, LastTime, Rate) "
               "VALUES(1, " +
                   values + ")");
        SessionTable table(dir.path());
        const QString message = FailureOf([&] { table.LeftOpen(Dec8, 0); });
        if (sound) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            return;
        }
        QVERIFY2(message.contains(table.FilePath()), qPrintable(message));
        QVERIFY2(
            message.contains(QString::fromUtf8(values.split(',').last().trimmed()).remove('\'')),
            qPrintable(message));
        table.Checkpoint(std::nullopt); // the next checkpoint takes its place
        QCOMPARE(table.LeftOpen(Dec8, 0), std::nullopt);
    }

    // What the connection stored so far and its terms are checked as well.
    void aDamagedConnectionSoFarIsToldAndSetAside_data() {
        QTest::addColumn<QByteArray>("assignment");
        QTest::addColumn<bool>("sound");
        QTest::newRow("as written") << QByteArray("Seconds = 61, Charges = '0,5', Records = 2, "
                                                  "Unit = 60, Fee = 0.5, Minimum = 2")
                                    << true;
        QTest::newRow("negative seconds") << QByteArray("Seconds = -1") << false;
        QTest::newRow("charges with a point") << QByteArray("Charges = '0.5'") << false;
        QTest::newRow("records as text") << QByteArray("Records = 'two'") << false;
        QTest::newRow("step 0") << QByteArray("Unit = 0") << false;
        QTest::newRow("step 3601") << QByteArray("Unit = 3601") << false;
        QTest::newRow("negative fee") << QByteArray("Fee = -1") << false;
        QTest::newRow("minimum in words") << QByteArray("Minimum = 'много'") << false;
    }
    void aDamagedConnectionSoFarIsToldAndSetAside() {
        QFETCH(QByteArray, assignment);
        QFETCH(bool, sound);
        QTemporaryDir dir;
        {
            SessionTable table(dir.path());
            table.Checkpoint(OpenSegment{Dec7, 1000, Dec7, 2000, "20"});
        }
        RawSql(dir.filePath("data.db"), "UPDATE open_segment SET " + assignment);
        SessionTable table(dir.path());
        const QString message = FailureOf([&] { table.LeftOpen(Dec8, 0); });
        QCOMPARE(message.isEmpty(), sound);
        if (sound)
            QCOMPARE(table.LeftOpen(Dec8, 0),
                     (OpenSegment{Dec7, 1000, Dec7, 2000, "20", {61, "0,5", 2}, {60, 0.5, 2}}));
    }

    // The checkpoint's row read back, at 9:00 on 8 December: its fields in their forms and
    // ranges, terms the tariff file would take, and a segment that can have been on line
    // before now, cut at every midnight.
    void aCheckpointRowReads_data() {
        QTest::addColumn<QVariantList>("change"); // column, value; pairs over a sound row
        QTest::addColumn<bool>("sound");
        const QVariant null;
        QTest::newRow("as written") << QVariantList{} << true;
        QTest::newRow("old sum text") << QVariantList{6, "5E-5"} << true;
        QTest::newRow("exact sum text") << QVariantList{6, "100,00555555555555556"} << true;
        QTest::newRow("sum in words") << QVariantList{6, "много"} << false;
        QTest::newRow("sum as a real") << QVariantList{6, 0.5} << false;
        QTest::newRow("start null") << QVariantList{0, null} << false;
        QTest::newRow("time as a real") << QVariantList{1, 1000.0} << false;
        QTest::newRow("records past int") << QVariantList{7, qint64(INT_MAX) + 1} << false;
        QTest::newRow("rate 1E15") << QVariantList{4, "1E15"} << false;
        QTest::newRow("rate below 1E15") << QVariantList{4, "999999999999999"} << true;
        QTest::newRow("fee 1E300") << QVariantList{9, 1e300} << false;
        QTest::newRow("fee just below 1E15") << QVariantList{9, 999999999999999.0} << true;
        QTest::newRow("minimum 1E15") << QVariantList{10, 1e15} << false;
        QTest::newRow("minimum NaN") << QVariantList{10, std::nan("")} << false;
        QTest::newRow("last moment now") << QVariantList{2, "2026-12-08", 3, 32'400'000} << true;
        QTest::newRow("last moment a millisecond ahead")
            << QVariantList{2, "2026-12-08", 3, 32'400'001} << false;
        QTest::newRow("last moment in 2099") << QVariantList{2, "2099-12-31"} << false;
        QTest::newRow("start after the last moment") << QVariantList{1, 2001} << false;
        QTest::newRow("start the day before the last moment")
            << QVariantList{0, "2026-12-06", 1, 86'399'999} << true;
        QTest::newRow("start two days before") << QVariantList{0, "2026-12-05"} << false;
        QTest::newRow("start a thousand days before") << QVariantList{0, "2024-03-12"} << false;
    }
    void aCheckpointRowReads() {
        QFETCH(QVariantList, change);
        QFETCH(bool, sound);
        QVariantList row{"2026-12-07", qint64(1000), "2026-12-07", qint64(2000), "20", qint64(61),
                         "0,5",        qint64(2),    qint64(60),   0.5,          2.0};
        for (int i = 0; i + 1 < change.size(); i += 2) {
            const QVariant v = change[i + 1];
            row[change[i].toInt()] = v.typeId() == QMetaType::Int ? QVariant(v.toLongLong()) : v;
        }
        const auto read = Checkpoint::Read(row, Dec8, 32'400'000);
        QCOMPARE(read.has_value(), sound);
        if (sound && change.isEmpty())
            QCOMPARE(*read,
                     (OpenSegment{Dec7, 1000, Dec7, 2000, "20", {61, "0,5", 2}, {60, 0.5, 2}}));
    }

    // A checkpoint alone commits with a full sync when a minute has passed since the last
    // commit that synced, whatever the poll interval; a record always syncs, on the disk.
    // The fold-back is asked for at the first record, then, with records owed, once a minute.
    void checkpointsSyncOnceAMinuteAndRecordsFoldBack() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        qint64 now = 0;
        table.SetMonotonicClock([&now] { return now; });
        const OpenSegment open{Dec7, 1000, Dec7, 2000, "20"};
        QStringList steps;
        const auto at = [&](qint64 msecs, bool record) {
            now = msecs;
            const int syncs = Syncs::count;
            const quint64 folds = table.FoldsAsked();
            record ? table.Append(Record(Dec7, "r"), open) : table.Checkpoint(open);
            const bool synced = Syncs::count > syncs;
            QCOMPARE(table.LastCommitSynced(), synced);
            steps << QString(synced ? "sync" : "-") + (table.FoldsAsked() > folds ? " fold" : "");
        };
        at(0, false); // the first after opening
        at(10'000, false);
        at(59'999, false);
        at(60'000, false);
        at(70'000, true);
        at(80'000, true);
        at(129'999, false);
        at(130'000, false);
        at(140'000, false);
        at(200'000, false);
        QCOMPARE(steps, (QStringList{"sync", "-", "-", "sync", "sync fold", "sync", "-", "- fold",
                                     "sync", "sync"}));
        // The clock still: a log grown to its pages asks for one too, but not at every record,
        // nor at every one after it while a reader keeps the log from beginning again.
        table.Append(Record(Dec7, "r")); // a minute after the last
        const quint64 asked = table.FoldsAsked();
        HeldReader reader(table.FilePath());
        int records = 0;
        for (; table.FoldsAsked() == asked && records < 2000; ++records)
            table.Append(Record(Dec7, "r"));
        QVERIFY2(records > 50 && records < 2000, qPrintable(QString::number(records)));
        for (int i = 0; i < 20; ++i)
            table.Append(Record(Dec7, "r"));
        QCOMPARE(table.FoldsAsked(), asked + 1);
        // Let go, a minute's fold-back takes the whole log, which begins again at the next
        // record: from there its size asks after as many records as the first time.
        reader.Release();
        now += 60'000;
        const quint64 folds = table.FoldsRun();
        table.Append(Record(Dec7, "r"));
        QTRY_VERIFY(table.FoldsRun() > folds);
        const quint64 askedAgain = table.FoldsAsked();
        int again = 0;
        for (; table.FoldsAsked() == askedAgain && again < 2000; ++again)
            table.Append(Record(Dec7, "r"));
        QVERIFY2(again <= records + 20, qPrintable(QString::number(again)));
    }

    // A second-version file keeps its records and its open segment, which reads as a
    // connection of nothing stored before it, billed by the default terms.
    void aSecondVersionFileIsUpgradedAfterACopy() {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        RawSql(path, "CREATE TABLE session(id INTEGER PRIMARY KEY AUTOINCREMENT, Data TEXT NOT "
                     "NULL, WremN TEXT NOT NULL, WremW TEXT NOT NULL, Itogo TEXT NOT NULL, Tarif "
                     "TEXT NOT NULL, Summ TEXT NOT NULL);"
                     "CREATE TABLE open_segment(id INTEGER PRIMARY KEY CHECK (id = 1), StartDate "
                     "TEXT NOT NULL, StartTime INTEGER NOT NULL, LastDate TEXT NOT NULL, "
                     "LastTime INTEGER NOT NULL, Rate TEXT NOT NULL);"
                     "CREATE TABLE session_count(n INTEGER NOT NULL);"
                     "INSERT INTO session_count VALUES(1);"
                     "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                     "VALUES('2026-12-07', '9:00:00', '10:00:00', '1:00:00', '20', '20');"
                     "INSERT INTO open_segment VALUES(1, '2026-12-07', 1000, '2026-12-07', 2000, "
                     "'20');"
                     "PRAGMA user_version = 2");
        SessionTable table(dir.path());
        QCOMPARE(RawSql(path, "PRAGMA user_version"), QStringList{"4"});
        QCOMPARE(Walk(table), QStringList{"9:00:00"});
        QCOMPARE(table.LeftOpen(Dec8, 0), (OpenSegment{Dec7, 1000, Dec7, 2000, "20"}));
        QCOMPARE(QDir(dir.filePath("backup")).entryList({"data-v2-*.db"}, QDir::Files).size(), 1);
        // Built and upgraded files are alike.
        QTemporaryDir fresh;
        { SessionTable made(fresh.path()); }
        QCOMPARE(RawSql(path, "SELECT sql FROM sqlite_master WHERE name = 'open_segment'"),
                 RawSql(fresh.filePath("data.db"),
                        "SELECT sql FROM sqlite_master WHERE name = 'open_segment'"));
    }

    // The kept count is checked against the table when the file opens.
    void anImpossibleKeptCountIsCountedAgain_data() {
        QTest::addColumn<QByteArray>("damage");
        QTest::newRow("huge") << QByteArray("UPDATE session_count SET n = 2147483647");
        QTest::newRow("negative") << QByteArray("UPDATE session_count SET n = -3");
        QTest::newRow("text") << QByteArray("UPDATE session_count SET n = 'abc'");
        QTest::newRow("no row") << QByteArray("DELETE FROM session_count");
        QTest::newRow("two rows") << QByteArray("INSERT INTO session_count VALUES(1)");
    }
    void anImpossibleKeptCountIsCountedAgain() {
        QFETCH(QByteArray, damage);
        QTemporaryDir dir;
        {
            SessionTable table(dir.path());
            table.Append(Record(Dec7, "1"));
            table.Append(Record(Dec7, "2"));
        }
        RawSql(dir.filePath("data.db"), damage.constData());
        SessionTable table(dir.path());
        QCOMPARE(table.RowCount(), 2);
        table.Append(Record(Dec7, "3"));
        QCOMPARE(table.RowCount(), 3);
        QCOMPARE(RawSql(dir.filePath("data.db"), "SELECT n FROM session_count"), QStringList{"3"});
    }

    // Another program dropped a table or trigger of the program's, or rebuilt the records'
    // table as SQL tools do (the triggers go with the old table): made again at open or at
    // the next write, and the records counted afresh; nothing fails to be stored.
    void ownTablesDroppedAreMadeAgain_data() {
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<bool>("whileOpen");
        const QByteArray rebuilt =
            "BEGIN; CREATE TABLE session_new(id INTEGER PRIMARY KEY AUTOINCREMENT, Data TEXT NOT "
            "NULL, WremN TEXT NOT NULL, WremW TEXT NOT NULL, Itogo TEXT NOT NULL, Tarif TEXT NOT "
            "NULL, Summ TEXT NOT NULL); INSERT INTO session_new SELECT * FROM session; "
            "DROP TABLE session; ALTER TABLE session_new RENAME TO session; "
            "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
            "VALUES('2026-12-07', 'tool', '10:00:00', '1:00:00', '20', '20'); COMMIT";
        for (const bool open : {false, true}) {
            const char* when = open ? "while open" : "before open";
            QTest::addRow("count dropped %s", when)
                << QByteArray("DROP TABLE session_count") << open;
            QTest::addRow("totals dropped %s", when) << QByteArray("DROP TABLE day_total") << open;
            QTest::addRow("count's triggers dropped %s", when)
                << QByteArray("DROP TRIGGER session_counted; DROP TRIGGER session_uncounted")
                << open;
            QTest::addRow("open segment dropped %s", when)
                << QByteArray("DROP TABLE open_segment") << open;
            QTest::addRow("records rebuilt by a tool %s", when) << rebuilt << open;
        }
    }
    void ownTablesDroppedAreMadeAgain() {
        QFETCH(QByteArray, damage);
        QFETCH(bool, whileOpen);
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        auto table = std::make_unique<SessionTable>(dir.path());
        table->Append(Record(Dec7, "1"));
        table->Append(Record(Dec5, "2"));
        if (!whileOpen)
            table.reset();
        RawSql(path, damage.constData());
        if (!whileOpen)
            table = std::make_unique<SessionTable>(dir.path());
        const auto sound = [&] {
            const QString n = RawSql(path, "SELECT count(*) FROM session").value(0);
            QCOMPARE(table->RowCount(), n.toLongLong());
            QCOMPARE(RawSql(path, "SELECT n FROM session_count"), QStringList{n});
            QCOMPARE(RawSql(path, "SELECT total(records) FROM day_total"), QStringList{n + ".0"});
            QCOMPARE(RawSql(path, "SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"),
                     QStringList{"5"});
        };
        table->Append(Record(Dec7, "3"), OpenSegment{Dec7, 1000, Dec7, 2000, "20"});
        table->Checkpoint(OpenSegment{Dec7, 1000, Dec7, 3000, "20"});
        sound();
        QCOMPARE(RawSql(path, "SELECT LastTime FROM open_segment"), QStringList{"3000"});
        MoveToNewest(*table);
        table->DeleteCurrent();
        table->Append(Record(Dec7, "4"));
        sound();
    }

    // Once committed, an append is never reported failed, whatever fails after it: a
    // caller would store the record again.
    void nothingAfterTheCommitFailsTheAppend() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        connect(&table, &SessionTable::Inserted, &table,
                [](qint64) { throw Failure(QStringLiteral("the grid could not read")); });
        const QString message = FailureOf([&] { table.Append(Record(Dec7, "1")); });
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(RawSql(table.FilePath(), "SELECT count(*) FROM session"), QStringList{"1"});
    }
};

QTEST_GUILESS_MAIN(TestSessionTable)
#include "tst_sessiontable.moc"
