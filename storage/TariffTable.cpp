#include "TariffTable.h"

#include "Failure.h"
#include "platform/FileKind.h"
#include "TableFile.h"
#include "TextForms.h"
#include "Weekdays.h"

#include <QDir>
#include <algorithm>
#include <climits>

const QString TariffTable::FileName = QStringLiteral("tarif.db");
const QStringList TariffTable::FieldNames = {QStringLiteral("WrN"), QStringLiteral("WrK"),
                                             QStringLiteral("Cost")};

namespace {

const std::string CreateTariff =
    "CREATE TABLE tariff(id INTEGER PRIMARY KEY AUTOINCREMENT, WrN TEXT, WrK TEXT, Cost REAL)";

// Version 2: the days a period applies on, holidays priced as a weekday, and the billing
// terms (one row, the defaults until the user sets others).
const std::string AddDaysHolidaysBilling =
    "ALTER TABLE tariff ADD COLUMN Days TEXT NOT NULL DEFAULT ''; "
    "CREATE TABLE holiday(Date TEXT PRIMARY KEY, "
    "AsDay INTEGER NOT NULL DEFAULT 7 CHECK (AsDay BETWEEN 1 AND 7)); "
    "CREATE TABLE billing(id INTEGER PRIMARY KEY CHECK (id = 1), "
    "Unit INTEGER NOT NULL DEFAULT 1 CHECK (Unit BETWEEN 1 AND 3600), "
    "Fee REAL NOT NULL DEFAULT 0, Minimum REAL NOT NULL DEFAULT 0); "
    "INSERT INTO billing(id) VALUES(1)";

const TableSchema Schema{
    TariffTable::FileName,
    QStringLiteral("tariff"),
    {QStringLiteral("id"), QStringLiteral("WrN"), QStringLiteral("WrK"), QStringLiteral("Cost"),
     QStringLiteral("Days")},
    2,
    // A new file is built by the same steps as an upgraded one, so both are alike.
    CreateTariff + "; " + AddDaysHolidaysBilling,
    {AddDaysHolidaysBilling}, // 1 -> 2
    {4, 5}};

QString Where(const QString& path) {
    return QDir::toNativeSeparators(path);
}

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
        : all(db, "SELECT id, WrN, WrK, Cost, Days FROM tariff ORDER BY id DESC"),
          insert(db, "INSERT INTO tariff(WrN, WrK, Cost, Days) VALUES(?1, ?2, ?3, ?4)"),
          update(db, "UPDATE tariff SET WrN = ?1, WrK = ?2, Cost = ?3, Days = ?4 WHERE id = ?5"),
          remove(db, "DELETE FROM tariff WHERE id = ?1"),
          holidays(db, "SELECT Date, AsDay FROM holiday ORDER BY Date"),
          setHoliday(db, "INSERT OR REPLACE INTO holiday(Date, AsDay) VALUES(?1, ?2)"),
          removeHoliday(db, "DELETE FROM holiday WHERE Date = ?1"),
          billing(db, "SELECT Unit, Fee, Minimum FROM billing WHERE id = 1"),
          setBilling(db, "INSERT OR REPLACE INTO billing(id, Unit, Fee, Minimum) "
                         "VALUES(1, ?1, ?2, ?3)"),
          dataVersion(db, "PRAGMA data_version") {}
    SqliteStatement all, insert, update, remove, holidays, setHoliday, removeHoliday, billing,
        setBilling, dataVersion;
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
    ++opens_;
}

TariffTable::Mark TariffTable::Now() const {
    ReopenIfReplaced();
    SqliteStatement& s = st_->dataVersion;
    qint64 others = 0;
    try {
        if (s.Step())
            others = s.Int(0);
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    return {opens_, writes_, others};
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
    QString badDays;
    qint64 badId = 0;
    try {
        while (s.Step()) {
            TariffRow row{s.Int(0), {ReadTime(s, 1), ReadTime(s, 2), std::nullopt}};
            if (!s.IsNull(3))
                row.period.cost = s.Double(3);
            const QString days = s.Text(4);
            const auto normal = Weekdays::Normal(days);
            if (!normal && badId == 0) {
                badId = row.id;
                badDays = days;
            }
            row.period.days = normal.value_or(QString());
            rows.push_back(row);
        }
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    // Guessing which days were meant would price connections by a rule the user never set.
    if (badId != 0)
        throw Failure(QStringLiteral("В файле «%1» у тарифа № %2 дни недели записаны неверно: "
                                     "«%3» (нужны цифры от 1 — понедельник до 7 — воскресенье, "
                                     "каждая не больше одного раза). Файл оставлен без изменений.")
                          .arg(Where(path_))
                          .arg(badId)
                          .arg(badDays));
    return rows;
}

qint64 TariffTable::Add(const TariffPeriod& p) {
    qint64 id = 0;
    ReopenIfReplaced();
    try {
        SqliteTransaction transaction(db_);
        st_->insert.Bind(1, ::StoredTime(p.wrN))
            .Bind(2, ::StoredTime(p.wrK))
            .Bind(3, p.cost)
            .Bind(4, Weekdays::Normal(p.days).value_or(QString()));
        st_->insert.Run();
        id = db_.LastInsertId();
        transaction.Commit();
        db_.FoldLogBack();
    } catch (const SqliteError& error) {
        st_->insert.Reset();
        Fail(QStringLiteral("записать в"), error);
    }
    ++writes_;
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
            .Bind(4, Weekdays::Normal(p.days).value_or(QString()))
            .Bind(5, id);
        st_->update.Run();
        transaction.Commit();
        db_.FoldLogBack();
    } catch (const SqliteError& error) {
        st_->update.Reset();
        Fail(QStringLiteral("записать в"), error);
    }
    ++writes_;
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
    ++writes_;
    emit Changed();
}

void TariffTable::Write(SqliteStatement& statement, const QString& action) {
    try {
        SqliteTransaction transaction(db_);
        statement.Run();
        transaction.Commit();
        db_.FoldLogBack();
    } catch (const SqliteError& error) {
        statement.Reset();
        Fail(action, error);
    }
    ++writes_;
    emit Changed();
}

std::vector<Holiday> TariffTable::ReadHolidays() const {
    ReopenIfReplaced();
    std::vector<Holiday> holidays;
    std::optional<std::pair<QString, QString>> bad;
    SqliteStatement& s = st_->holidays;
    try {
        while (s.Step()) {
            const Holiday h{QDate::fromString(s.Text(0), Qt::ISODate), int(s.Int(1))};
            if ((!h.date.isValid() || !s.IsInteger(1) || h.asDay < 1 || h.asDay > 7) && !bad)
                bad = {s.Text(0), s.Text(1)};
            holidays.push_back(h);
        }
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    if (bad)
        throw Failure(QStringLiteral("В файле «%1» праздник записан неверно: дата «%2», день "
                                     "недели «%3» (нужны дата ГГГГ-ММ-ДД и день от 1 до 7). "
                                     "Файл оставлен без изменений.")
                          .arg(Where(path_), bad->first, bad->second));
    return holidays;
}

void TariffTable::SetHoliday(const Holiday& holiday) {
    if (!holiday.date.isValid() || holiday.asDay < 1 || holiday.asDay > 7)
        throw Failure(QStringLiteral("Праздник не записан: неверная дата или день недели."));
    ReopenIfReplaced();
    st_->setHoliday.Bind(1, holiday.date.toString(Qt::ISODate)).Bind(2, qint64(holiday.asDay));
    Write(st_->setHoliday, QStringLiteral("записать в"));
}

void TariffTable::RemoveHoliday(const QDate& date) {
    ReopenIfReplaced();
    st_->removeHoliday.Bind(1, date.toString(Qt::ISODate));
    Write(st_->removeHoliday, QStringLiteral("удалить запись из"));
}

Billing TariffTable::ReadBilling() const {
    ReopenIfReplaced();
    Billing billing;
    QStringList fields;
    bool sound = true;
    SqliteStatement& s = st_->billing;
    try {
        if (s.Step()) {
            for (int i = 0; i < 3; ++i)
                fields << s.Text(i);
            const auto number = [&s](int column) -> std::optional<double> {
                if (s.IsNull(column) ||
                    !TextForms::TryParseNumber(QString(s.Text(column)).replace('.', ',')))
                    return std::nullopt;
                return s.Double(column);
            };
            const auto fee = number(1);
            const auto minimum = number(2);
            sound = s.IsInteger(0) && fee && minimum;
            if (sound) {
                billing = {int(std::clamp<qint64>(s.Int(0), INT_MIN, INT_MAX)), *fee, *minimum};
                sound = billing.IsSound();
            }
        }
        s.Reset();
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
    if (!sound)
        throw Failure(QStringLiteral("В файле «%1» условия тарификации записаны неверно: шаг "
                                     "«%2», плата за подключение «%3», минимум «%4» (нужны шаг "
                                     "от 1 до 3600 секунд и суммы не меньше нуля). Файл оставлен "
                                     "без изменений.")
                          .arg(Where(path_), fields.value(0), fields.value(1), fields.value(2)));
    return billing;
}

void TariffTable::SetBilling(const Billing& billing) {
    if (!billing.IsSound())
        throw Failure(QStringLiteral("Условия тарификации не записаны: шаг должен быть от 1 до "
                                     "3600 секунд, суммы не меньше нуля."));
    ReopenIfReplaced();
    st_->setBilling.Bind(1, qint64(billing.unit)).Bind(2, billing.fee).Bind(3, billing.minimum);
    Write(st_->setBilling, QStringLiteral("записать в"));
}
