#pragma once
// The tariff table, tarif.db: periods of the day with their price per hour and the days
// they apply on, newest first; holidays, each priced as a given weekday; the billing terms
// and the traffic terms. A period's start or end or price may be empty, when a cell was
// emptied in the grid.

#include "Billing.h"
#include "Sqlite.h"
#include "TableFile.h"
#include "Traffic.h"
#include "platform/FileKind.h"

#include <QDate>
#include <QObject>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

struct TariffPeriod {
    std::optional<int> wrN;     // start, milliseconds since midnight
    std::optional<int> wrK;     // end, milliseconds since midnight
    std::optional<double> cost; // price per hour
    QString days = {};          // ISO weekday digits in order; empty for every day

    bool operator==(const TariffPeriod&) const = default;
};

// On this date periods are matched as if it were weekday asDay (1 Monday .. 7 Sunday).
struct Holiday {
    QDate date;
    int asDay = 7;

    bool operator==(const Holiday&) const = default;
};

struct TariffRow {
    qint64 id = 0;
    TariffPeriod period;
};

class TariffTable : public QObject {
    Q_OBJECT
public:
    static const QString FileName;
    static const QStringList FieldNames; // WrN, WrK, Cost; matched without regard to case

    // Opens dir/tarif.db, creating it when missing. Throws Failure naming the file.
    explicit TariffTable(const QString& dir, QObject* parent = nullptr);
    // The same, but a file that cannot be opened now leaves the table closed, with the
    // reason in `failure`: every read tries again, so a good file put there later counts.
    TariffTable(const QString& dir, QString* failure, QObject* parent = nullptr);
    ~TariffTable() override;
    const QString& FilePath() const { return file_.Path(); }

    // All periods, newest first. A file put in the place of the one open is opened first
    // (Changed is emitted); a file deleted meanwhile throws Failure, and so does a period
    // whose days or price are not written as the program writes them; with `setAside`,
    // such a period is left out instead and what is wrong with it added there.
    std::vector<TariffRow> ReadAll(QStringList* setAside = nullptr) const;
    // Stores a new period as the first row; returns its id.
    qint64 Add(const TariffPeriod& period);
    void Update(qint64 id, const TariffPeriod& period);
    void Remove(qint64 id);

    // Holidays by date. Throws Failure on a date or weekday the program cannot read; with
    // `setAside`, that holiday is left out and told there.
    std::vector<Holiday> ReadHolidays(QStringList* setAside = nullptr) const;
    // Adds the holiday, or changes the weekday of the one on that date.
    void SetHoliday(const Holiday& holiday);
    void RemoveHoliday(const QDate& date);

    // The billing terms; the defaults when none are stored. Throws Failure on terms out of
    // range, and SetBilling stores nothing then; with `setAside`, the defaults are given
    // and what is wrong told there.
    Billing ReadBilling(QStringList* setAside = nullptr) const;
    // The largest price per hour and amount the program takes (and the input allows).
    static constexpr double MaxAmount = 1e15;
    void SetBilling(const Billing& billing);

    // The traffic terms; the defaults when none are stored, as in a file of the format before
    // them. Throws Failure on a price that is no number text of the program's form (a decimal
    // comma) from 0 below the largest amount, or a package that is no whole number of
    // mebibytes up to the largest; with `setAside`, the defaults are given and that told there.
    TrafficTerms ReadTrafficTerms(QStringList* setAside = nullptr) const;
    // The largest package, so that its bytes fit in 64 bits.
    static constexpr quint64 MaxPackageMebibytes = (quint64(1) << 44) - 1;
    // Whether the terms are ones the program stores.
    static bool AreSound(const TrafficTerms& terms);
    // Stores the terms. A file of the format before them takes the new one (a copy of it
    // kept first) only when the terms price something: the defaults leave it as it was.
    // Throws Failure on terms that are not sound, and stores nothing then.
    void SetTrafficTerms(const TrafficTerms& terms);
    // The billing and the traffic terms together, in one transaction.
    void SetTerms(const Billing& billing, const TrafficTerms& traffic);

    // Marks what the table holds: the mark changes with every write through this table,
    // every commit of another program and every file put in the place of the one open, so
    // a reader whose last read carries the mark seen now need not read again. Throws as
    // ReadAll does when the file was deleted or what replaced it cannot be opened.
    struct Mark {
        qint64 opens = 0, writes = 0, others = 0;
        bool operator==(const Mark&) const = default;
    };
    Mark Now() const;

    static int FieldIndex(const QString& name); // throws "Field '%s' not found"
    // The stored form of a time of day: HH:MM:SS.zzz.
    static QString StoredTime(int msecs);

signals:
    void Changed();

private:
    void Open();
    void ReopenIfReplaced() const;
    // Runs the statements in one transaction, its log folded back at once (tariffs change
    // seldom); `action` names it in the message. Returns the last new row's id.
    qint64 Write(std::initializer_list<SqliteStatement*> statements, const QString& action);
    // Readies the terms for storing: checks them, brings the file to the format that holds
    // them when they price something; the statement that stores them, none when there is
    // nothing to store.
    std::unique_ptr<SqliteStatement> StoreTraffic(const TrafficTerms& terms);

    TableFile file_;
    qint64 opens_ = 0;
    qint64 writes_ = 0;
    struct Statements;
    std::unique_ptr<Statements> st_;
};
