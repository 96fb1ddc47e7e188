#pragma once
// The tariff table, tarif.db: periods of the day with their price per hour, newest first.
// A period's start or end or price may be empty, when a cell was emptied in the grid.

#include "platform/FileKind.h"
#include "Sqlite.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

struct TariffPeriod {
    std::optional<int> wrN;     // start, milliseconds since midnight
    std::optional<int> wrK;     // end, milliseconds since midnight
    std::optional<double> cost; // price per hour

    bool operator==(const TariffPeriod&) const = default;
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
    ~TariffTable() override;
    const QString& FilePath() const { return path_; }

    // All periods, newest first. A file put in the place of the one open is opened first
    // (Changed is emitted); a file deleted meanwhile throws Failure.
    std::vector<TariffRow> ReadAll() const;
    // Stores a new period as the first row; returns its id.
    qint64 Add(const TariffPeriod& period);
    void Update(qint64 id, const TariffPeriod& period);
    void Remove(qint64 id);

    static int FieldIndex(const QString& name); // throws "Field '%s' not found"
    // The stored form of a time of day: HH:MM:SS.zzz.
    static QString StoredTime(int msecs);

signals:
    void Changed();

private:
    [[noreturn]] void Fail(const QString& action, const SqliteError& error) const;
    void Open();
    void ReopenIfReplaced() const;

    QString dir_;
    QString path_;
    std::optional<FileIdentity> identity_;
    SqliteDatabase db_;
    struct Statements;
    std::unique_ptr<Statements> st_;
};
