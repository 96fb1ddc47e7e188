#include "TariffTable.h"

#include "Decimal.h"
#include "Failure.h"
#include "TableFile.h"
#include "TextForms.h"
#include "Weekdays.h"
#include "platform/FileKind.h"

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

// Version 3, taken only when the user first sets traffic terms that price something: the
// price of a mebibyte beyond the package as a number text, and the package per billing
// period in mebibytes (one row).
const std::string AddTraffic =
    "CREATE TABLE traffic(id INTEGER PRIMARY KEY CHECK (id = 1), Price TEXT NOT NULL, "
    "Package INTEGER NOT NULL); "
    "INSERT INTO traffic(id, Price, Package) VALUES(1, '0', 0)";
constexpr int TrafficVersion = 3;

const TableSchema Schema{
    TariffTable::FileName,
    QStringLiteral("tariff"),
    {QStringLiteral("id"), QStringLiteral("WrN"), QStringLiteral("WrK"), QStringLiteral("Cost"),
     QStringLiteral("Days")},
    2,
    // A new file is built by the same steps as an upgraded one, so both are alike.
    CreateTariff + "; " + AddDaysHolidaysBilling,
    {AddDaysHolidaysBilling, AddTraffic}, // 1 -> 2, 2 -> 3
    {4, 5, 5},
    TrafficVersion};

QString Where(const QString& path) {
    return QDir::toNativeSeparators(path);
}

std::optional<QString> StoredTime(const std::optional<int>& msecs) {
    return msecs ? std::optional<QString>(TariffTable::StoredTime(*msecs)) : std::nullopt;
}

// What is wrong with a row read: thrown, or, when the reader prices with the rest, kept
// for it to tell with what is done instead.
void Tell(QStringList* setAside, const QString& wrong, const QString& instead) {
    if (!setAside)
        throw Failure(wrong + QStringLiteral(" Файл оставлен без изменений."));
    *setAside << wrong + QLatin1Char(' ') + instead +
                     QStringLiteral(" Файл оставлен без изменений.");
}

QString BillingRefused() {
    return QStringLiteral("Условия тарификации не записаны: шаг должен быть от 1 до 3600 секунд, "
                          "суммы не меньше нуля.");
}

// A price of a mebibyte as the program writes it: a number text from 0 below the largest
// amount.
std::optional<Decimal> PriceOf(const QString& text) {
    const auto price = Decimal::Parse(text);
    if (!price || *price < Decimal() || !(*price < Decimal::Of(QStringLiteral("1E15"))))
        return std::nullopt;
    return price;
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
    : QObject(parent), file_(dir, Schema) {
    Open();
}

TariffTable::TariffTable(const QString& dir, QString* failure, QObject* parent)
    : QObject(parent), file_(dir, Schema) {
    try {
        Open();
    } catch (const Failure& f) {
        *failure = f.message(); // opened at the next read, once the file can be
    }
}

void TariffTable::Open() {
    st_.reset(); // finalized before their connection closes
    file_.Open([this](SqliteDatabase& db) { st_ = std::make_unique<Statements>(db); });
    ++opens_;
}

TariffTable::Mark TariffTable::Now() const {
    ReopenIfReplaced();
    const StatementUse s(st_->dataVersion);
    const qint64 others =
        file_.Guarded(QStringLiteral("прочитать"), [&] { return s->Step() ? s->Int(0) : 0; });
    return {opens_, writes_, others};
}

void TariffTable::ReopenIfReplaced() const {
    const auto now = file_.IdentityNow();
    if (st_ && file_.IsTheOneOpen(now))
        return;
    if (!now && st_)
        throw Failure(QStringLiteral("Файл «%1» удалён во время работы программы; действуют "
                                     "тарифы, прочитанные из него последними.")
                          .arg(QDir::toNativeSeparators(FilePath())));
    // Another tariff file was put in its place: from now on it is the one that counts.
    auto* self = const_cast<TariffTable*>(this);
    self->Open();
    // Told after this read, so a window reading the table in answer reads it whole.
    QMetaObject::invokeMethod(
        self, [self] { emit self->Changed(); }, Qt::QueuedConnection);
}

TariffTable::~TariffTable() = default; // the statements go first, then the file

QString TariffTable::StoredTime(int msecs) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(msecs / 3'600'000, 2, 10, QLatin1Char('0'))
        .arg(msecs / 60'000 % 60, 2, 10, QLatin1Char('0'))
        .arg(msecs / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(msecs % 1000, 3, 10, QLatin1Char('0'));
}

int TariffTable::FieldIndex(const QString& name) {
    return FieldIndexIn(FieldNames, name);
}

std::vector<TariffRow> TariffTable::ReadAll(QStringList* setAside) const {
    ReopenIfReplaced();
    std::vector<TariffRow> rows;
    SqliteStatement& s = st_->all;
    QStringList wrong; // told once the statement is done with
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse use(s);
        while (s.Step()) {
            TariffRow row{s.Int(0), {ReadTime(s, 1), ReadTime(s, 2), std::nullopt}};
            // A price as the program writes it: a number from 0 below the largest amount.
            // A text that is no number ('NaN') or a price out of range is no price to charge.
            std::optional<double> cost;
            if (!s.IsNull(3)) {
                if (s.IsNumber(3) || TextForms::TryParseNumber(
                                         s.Text(3).replace(QLatin1Char('.'), QLatin1Char(','))))
                    cost = s.Double(3);
                if (cost && !(*cost >= 0 && *cost < MaxAmount))
                    cost.reset();
                if (!cost) {
                    wrong << QStringLiteral("В файле «%1» у тарифа № %2 цена записана неверно: "
                                            "«%3» (нужна сумма не меньше нуля и меньше 10^15).")
                                 .arg(Where(FilePath()))
                                 .arg(row.id)
                                 .arg(s.Text(3));
                    continue;
                }
            }
            row.period.cost = cost;
            const QString days = s.Text(4);
            const auto normal = Weekdays::Normal(days);
            // Guessing which days were meant would price connections by a rule the user
            // never set.
            if (!normal) {
                wrong << QStringLiteral("В файле «%1» у тарифа № %2 дни недели записаны неверно: "
                                        "«%3» (нужны цифры от 1 — понедельник до 7 — воскресенье, "
                                        "каждая не больше одного раза).")
                             .arg(Where(FilePath()))
                             .arg(row.id)
                             .arg(days);
                continue;
            }
            row.period.days = *normal;
            rows.push_back(row);
        }
    });
    for (const QString& w : wrong)
        Tell(setAside, w, QStringLiteral("Этот тариф не применяется, действуют остальные."));
    return rows;
}

qint64 TariffTable::Add(const TariffPeriod& p) {
    ReopenIfReplaced();
    st_->insert.Bind(1, ::StoredTime(p.wrN))
        .Bind(2, ::StoredTime(p.wrK))
        .Bind(3, p.cost)
        .Bind(4, Weekdays::Normal(p.days).value_or(QString()));
    return Write({&st_->insert}, QStringLiteral("записать в"));
}

void TariffTable::Update(qint64 id, const TariffPeriod& p) {
    ReopenIfReplaced();
    st_->update.Bind(1, ::StoredTime(p.wrN))
        .Bind(2, ::StoredTime(p.wrK))
        .Bind(3, p.cost)
        .Bind(4, Weekdays::Normal(p.days).value_or(QString()))
        .Bind(5, id);
    Write({&st_->update}, QStringLiteral("записать в"));
}

void TariffTable::Remove(qint64 id) {
    ReopenIfReplaced();
    st_->remove.Bind(1, id);
    Write({&st_->remove}, QStringLiteral("удалить запись из"));
}

qint64 TariffTable::Write(std::initializer_list<SqliteStatement*> statements,
                          const QString& action) {
    const qint64 id = file_.Guarded(action, [&] {
        SqliteDatabase& db = file_.Db();
        SqliteTransaction transaction(db);
        for (SqliteStatement* statement : statements) {
            if (!statement)
                continue;
            const StatementUse use(*statement);
            statement->Step();
        }
        const qint64 inserted = db.LastInsertId();
        transaction.Commit();
        db.FoldLogBack();
        return inserted;
    });
    ++writes_;
    emit Changed();
    return id;
}

std::vector<Holiday> TariffTable::ReadHolidays(QStringList* setAside) const {
    ReopenIfReplaced();
    std::vector<Holiday> holidays;
    QStringList wrong;
    SqliteStatement& s = st_->holidays;
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse use(s);
        while (s.Step()) {
            const Holiday h{QDate::fromString(s.Text(0), Qt::ISODate), int(s.Int(1))};
            if (!h.date.isValid() || !s.IsInteger(1) || h.asDay < 1 || h.asDay > 7)
                wrong << QStringLiteral("В файле «%1» праздник записан неверно: дата «%2», день "
                                        "недели «%3» (нужны дата ГГГГ-ММ-ДД и день от 1 до 7).")
                             .arg(Where(FilePath()), s.Text(0), s.Text(1));
            else
                holidays.push_back(h);
        }
    });
    for (const QString& w : wrong)
        Tell(setAside, w, QStringLiteral("Этот день считается обычным днём недели."));
    return holidays;
}

void TariffTable::SetHoliday(const Holiday& holiday) {
    if (!holiday.date.isValid() || holiday.asDay < 1 || holiday.asDay > 7)
        throw Failure(QStringLiteral("Праздник не записан: неверная дата или день недели."));
    ReopenIfReplaced();
    st_->setHoliday.Bind(1, holiday.date.toString(Qt::ISODate)).Bind(2, qint64(holiday.asDay));
    Write({&st_->setHoliday}, QStringLiteral("записать в"));
}

void TariffTable::RemoveHoliday(const QDate& date) {
    ReopenIfReplaced();
    st_->removeHoliday.Bind(1, date.toString(Qt::ISODate));
    Write({&st_->removeHoliday}, QStringLiteral("удалить запись из"));
}

Billing TariffTable::ReadBilling(QStringList* setAside) const {
    ReopenIfReplaced();
    Billing billing;
    QStringList fields;
    bool sound = true;
    SqliteStatement& s = st_->billing;
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        const StatementUse use(s);
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
    });
    if (!sound) {
        Tell(setAside,
             QStringLiteral("В файле «%1» условия тарификации записаны неверно: шаг «%2», плата "
                            "за подключение «%3», минимум «%4» (нужны шаг от 1 до 3600 секунд и "
                            "суммы не меньше нуля).")
                 .arg(Where(FilePath()), fields.value(0), fields.value(1), fields.value(2)),
             QStringLiteral("Действуют условия по умолчанию: шаг 1 секунда, без платы за "
                            "подключение и минимума."));
        return {};
    }
    return billing;
}

void TariffTable::SetBilling(const Billing& billing) {
    if (!billing.IsSound())
        throw Failure(BillingRefused());
    ReopenIfReplaced();
    st_->setBilling.Bind(1, qint64(billing.unit)).Bind(2, billing.fee).Bind(3, billing.minimum);
    Write({&st_->setBilling}, QStringLiteral("записать в"));
}

bool TariffTable::AreSound(const TrafficTerms& terms) {
    return PriceOf(terms.pricePerMebibyte) && terms.packageMebibytes <= MaxPackageMebibytes;
}

TrafficTerms TariffTable::ReadTrafficTerms(QStringList* setAside) const {
    ReopenIfReplaced();
    if (file_.Version() < TrafficVersion)
        return {}; // the user never set any
    TrafficTerms terms;
    QString price, package;
    bool sound = true;
    file_.Guarded(QStringLiteral("прочитать"), [&] {
        // Prepared here: a file of the format before has no such table.
        SqliteStatement s(file_.Db(), "SELECT Price, Package FROM traffic WHERE id = 1");
        if (!s.Step())
            return;
        price = s.Text(0);
        package = s.Text(1);
        const auto value = s.IsNull(0) ? std::nullopt : PriceOf(price);
        sound =
            value && s.IsInteger(1) && s.Int(1) >= 0 && quint64(s.Int(1)) <= MaxPackageMebibytes;
        if (sound)
            terms = {value->NumberText(), quint64(s.Int(1))};
    });
    if (!sound) {
        Tell(setAside,
             QStringLiteral("В файле «%1» условия оплаты трафика записаны неверно: цена за МБ "
                            "«%2», пакет «%3» (нужны цена не меньше нуля и меньше 10^15, с "
                            "десятичной запятой, и пакет — целое число МБ от 0 до %4).")
                 .arg(Where(FilePath()), price, package)
                 .arg(MaxPackageMebibytes),
             QStringLiteral("Действуют условия по умолчанию: трафик не оплачивается."));
        return {};
    }
    return terms;
}

std::unique_ptr<SqliteStatement> TariffTable::StoreTraffic(const TrafficTerms& terms) {
    const auto price = AreSound(terms) ? PriceOf(terms.pricePerMebibyte) : std::nullopt;
    if (!price)
        throw Failure(QStringLiteral("Условия оплаты трафика не записаны: цена за МБ должна быть "
                                     "не меньше нуля и меньше 10^15, пакет — целым числом МБ от "
                                     "0 до %1.")
                          .arg(MaxPackageMebibytes));
    if (file_.Version() < TrafficVersion) {
        if (price->IsZero() && terms.packageMebibytes == 0)
            return nullptr; // the defaults: the file stays as it was
        file_.RaiseTo(TrafficVersion);
    }
    auto store = file_.Guarded(QStringLiteral("записать в"), [&] {
        return std::make_unique<SqliteStatement>(
            file_.Db(), "INSERT OR REPLACE INTO traffic(id, Price, Package) VALUES(1, ?1, ?2)");
    });
    store->Bind(1, price->NumberText()).Bind(2, qint64(terms.packageMebibytes));
    return store;
}

void TariffTable::SetTrafficTerms(const TrafficTerms& terms) {
    ReopenIfReplaced();
    if (const auto store = StoreTraffic(terms))
        Write({store.get()}, QStringLiteral("записать в"));
}

void TariffTable::SetTerms(const Billing& billing, const TrafficTerms& traffic) {
    if (!billing.IsSound())
        throw Failure(BillingRefused());
    ReopenIfReplaced();
    const auto store = StoreTraffic(traffic);
    st_->setBilling.Bind(1, qint64(billing.unit)).Bind(2, billing.fee).Bind(3, billing.minimum);
    Write({&st_->setBilling, store.get()}, QStringLiteral("записать в"));
}
