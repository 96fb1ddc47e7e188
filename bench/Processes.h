#pragma once
// Programs run and watched by the benchmark: the time to their first event loop, their
// memory, CPU time and context switches at rest, and their syncs.

#include <QProcess>
#include <QStringList>

qint64 Now(); // steady clock, nanoseconds

// From launching a program to its first event-loop iteration, in milliseconds.
double StartUpOnce(const QString& program, const QString& dir);

struct Usage {
    qint64 rssKb = 0;
    double cpuMs = 0;
    qint64 switches = 0; // context switches of all threads
};

QProcess* Launch(const QStringList& command, const QString& dir);
void End(QProcess* child);

// Programs left running side by side for `seconds`, per minute.
QList<Usage> SteadyState(const QList<QStringList>& commands, const QStringList& dirs, int seconds);

// The program's calls of fsync and fdatasync over `seconds`, per minute.
double SyncsPerMinute(const QString& program, const QString& dir, int seconds);
