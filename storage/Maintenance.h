#pragma once
// Looking after the table files away from the user's way: SQLite's quick check, and a copy
// of both files once a day into backup/ beside them, the last seven kept. Both read through
// connections of their own and may run on a worker thread.

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

// Pages a copy takes at a time; between steps it yields (or calls `betweenSteps`).
constexpr int CopyStepPages = 64;

// "ok", or what SQLite's quick check found wrong. Throws nothing: a file it cannot read
// gives the reason instead.
QString QuickCheck(const QString& path);

// Copies data.db and tarif.db of `dataDir` into dataDir/backup/ as data-YYYY-MM-DD.db and
// tarif-YYYY-MM-DD.db, unless today's copies are there already, and keeps the seven newest
// of each dated up to today (copies dated later are left alone). Returns a message when
// something could not be copied.
std::optional<QString> BackUpDaily(const QString& dataDir, const QDate& today, int keep = 7,
                                   const std::function<void()>& betweenSteps = {});

// Copies the file at `path` (of format `version`) into backup/ beside it as
// NAME-vVERSION-YYYYMMDD-HHMMSS.db, before an upgrade changes it. Daily copies never remove
// it. Returns what went wrong, if anything.
std::optional<QString> BackUpBeforeUpgrade(const QString& path, int version);
