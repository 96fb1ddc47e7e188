#include "TariffTable.h"

#include "Failure.h"
#include "platform/FileKind.h"
#include "TableFile.h"
#include "TextForms.h"

#include <QDir>

const QString TariffTable::FileName = QStringLiteral("tarif.db");
const QStringList TariffTable::FieldNames = {QStringLiteral("WrN"), QStringLiteral("WrK"),
                                             QStringLiteral("Cost")};

namespace {

const TableSchema Schema{
    TariffTable::FileName,
    QStringLiteral("tariff"),
    {QStringLiteral("id"), QStringLiteral("WrN"), QStringLiteral("WrK"), QStringLiteral("Cost")},
    1,
    "CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, WrN TEXT, WrK TEXT, Cost REAL)",
    {}};

std::optional<QString> StoredTime(const std::optional<int>& msecs) {
    return msecs ? std::optional<QString>(TariffTable::StoredTime(*msecs)) : std::nullopt;
}

// A time written by hand in a form the program cannot read counts as empty.
std::optional<int> ReadTime(const SqliteStatement& s, int column) {
    return s.IsNull(column) ? std::nullopt : TextForms::TryParseTime(s.Text(column));
}

} // namespace

struct TariffTable::Statements {
    explicit Statements(const SqliteDatabase& db)
        : all(db, "SELECT id, WrN, WrK, Cost FROM tariff ORDER BY id DESC"),
          insert(db, "INSERT INTO tariff(WrN, WrK, Cost) VALUES(?1, ?2, ?3)"),
          update(db, "UPDATE tariff SET WrN = ?1, WrK = ?2, Cost = ?3 WHERE id = ?4"),
          remove(db, "DELETE FROM tariff WHERE id = ?1") {}
    SqliteStatement all, insert, update, remove;
};

TariffTable::TariffTable(const QString& dir, QObject* parent)
    : QObject(parent), dir_(dir), path_(QDir(dir).filePath(FileName)) {
    Open();
}

void TariffTable::Open() {
    const bool replaced = st_ != nullptr;
    st_.reset();
    db_ = SqliteDatabase();
    if (replaced)
        DropLogOfReplacedFile(path_);
    SqliteDatabase db = OpenTableFile(dir_, Schema);
    const auto identity = FactsOf(path_).identity;
    std::unique_ptr<Statements> statements;
    try {
        statements = std::make_unique<Statements>(db);
    } catch (const SqliteError& error) {
        Fail(QStringLiteral("открыть"), error);
    }
    st_ = std::move(statements);
    db_ = std::move(db);
    identity_ = identity;
}

void TariffTable::ReopenIfReplaced() const {
    const auto now = FactsOf(path_).identity;
    if (st_ && now == identity_)
        return;
    if (!now)
        throw Failure(QStringLiteral("Файл «%1» удалён во время работы программы; действуют "
                                     "тарифы, прочитанные из него последними.")
                          .arg(QDir::toNativeSeparators(path_)));
    // Another tariff file was put in its place: from now on it is the one that counts.
    auto* self = const_cast<TariffTable*>(this);
    self->Open();
    // Told after this read, so a window reading the table in answer reads it whole.
    QMetaObject::invokeMethod(self, [self] { emit self->Changed(); }, Qt::QueuedConnection);
}

TariffTable::~TariffTable() = default;

void TariffTable::Fail(const QString& action, const SqliteError& error) const {
    throw Failure(TableFailureText(path_, action, error));
}

QString TariffTable::StoredTime(int msecs) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(msecs / 3'600'000, 2, 10, QLatin1Char('0'))
        .arg(msecs / 60'000 % 60, 2, 10, QLatin1Char('0'))
        .arg(msecs / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(msecs % 1000, 3, 10, QLatin1Char('0'));
}

int TariffTable::FieldIndex(const QString& name) {
    for (int i = 0; i < FieldNames.size(); ++i)
        if (FieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw Failure(QStringLiteral("Field '%1' not found").arg(name));
}

std::vector<TariffRow> TariffTable::ReadAll() const {
    ReopenIfReplaced();
    std::vector<TariffRow> rows;
    SqliteStatement& s = st_->all;
    try {
        while (s.Step()) {
            TariffRow row{s.Int(0), {ReadTime(s, 1), ReadTime(s, 2), std::nullopt}};
            if (!s.IsNull(3))
                row.period.cost = s.Double(3);
            rows.push_back(row);
        }
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    return rows;
}

qint64 TariffTable::Add(const TariffPeriod& p) {
    qint64 id = 0;
    ReopenIfReplaced();
    try {
        SqliteTransaction transaction(db_);
        st_->insert.Bind(1, ::StoredTime(p.wrN)).Bind(2, ::StoredTime(p.wrK)).Bind(3, p.cost);
        st_->insert.Run();
        id = db_.LastInsertId();
        transaction.Commit();
        db_.FoldLogBack();
    } catch (const SqliteError& error) {
        st_->insert.Reset();
        Fail(QStringLiteral("записать в"), error);
    }
    emit Changed();
    return id;
}

void TariffTable::Update(qint64 id, const TariffPeriod& p) {
    ReopenIfReplaced();
    try {
        SqliteTransaction transaction(db_);
        st_->update.Bind(1, ::StoredTime(p.wrN))
            .Bind(2, ::StoredTime(p.wrK))
            .Bind(3, p.cost)
            .Bind(4, id);
        st_->update.Run();
        transaction.Commit();
        db_.FoldLogBack();
    } catch (const SqliteError& error) {
        st_->update.Reset();
        Fail(QStringLiteral("записать в"), error);
    }
    emit Changed();
}

void TariffTable::Remove(qint64 id) {
    ReopenIfReplaced();
    try {
        SqliteTransaction transaction(db_);
        st_->remove.Bind(1, id);
        st_->remove.Run();
        transaction.Commit();
        db_.FoldLogBack();
    } catch (const SqliteError& error) {
        st_->remove.Reset();
        Fail(QStringLiteral("удалить запись из"), error);
    }
    emit Changed();
}
