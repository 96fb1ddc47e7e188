#pragma once
// When the table files are looked after: SQLite's quick check of data.db and the day's copy
// of both files, on a worker thread. Neither runs at every start: the check comes with the
// day's first copy, or at once when the last run left data.db open (it ended uncleanly),
// and a damaged file is told and not copied.

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

// True when the last program that wrote data.db at `path` did not close it: SQLite removes
// the write-ahead log beside it when the last connection closes, so one found before the
// program opens the file was left by a run that ended without closing it.
bool LeftOpenByLastRun(const QString& path);

// Whether backup/ lacks today's copy of data.db (`data`) or, when tarif.db is there, of it.
struct CopiesDue {
    bool data = false;
    bool tariffs = false;
};
CopiesDue CopiesDueOn(const QString& dataDir, const QDate& today);

// The words for a quick check of `path` that found `found`.
QString DamageMessage(const QString& path, const QString& found);

// One look after the files at `today`: the quick check when `check` or when today's copy of
// data.db is due, then, the file found sound, the copies that are due. What went wrong, if
// anything; `damaged` is set when the check found the file damaged.
std::optional<QString> LookAfterFiles(const QString& dataDir, const QString& path,
                                      const QDate& today, bool check, bool* damaged = nullptr);

class MaintenanceSchedule final : public QObject {
    Q_OBJECT
public:
    // The first look waits this long after start, once the window is up; the next one
    // again this long after (the tariff file is made on a first run meanwhile), then hourly.
    static constexpr int FirstLookMsecs = 1000;
    static constexpr int RetryMsecs = 10'000;
    static constexpr int HourlyMsecs = 3'600'000;

    // `leftOpen`: the last run ended without closing data.db; the first look checks it.
    MaintenanceSchedule(QString dataDir, QString path, std::function<QDate()> today, bool leftOpen,
                        QObject* parent = nullptr);
    void Start();

signals:
    void Trouble(const QString& message);

private:
    void LookAfterFilesNow();

    const QString dataDir_;
    const QString path_;
    std::function<QDate()> today_;
    bool checkNext_;
    bool busy_ = false;
    bool damaged_ = false; // told once; nothing is copied after
    QTimer hourly_;
};
