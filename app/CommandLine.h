#pragma once
// The program's own command line: --help, --version, and the report of a range of dates
// written to a PDF or CSV file, for scheduled reports:
//   kelvora --report 01.12.2026 31.12.2026 --pdf december.pdf
// Qt's options (-platform, -session, -style, -display, ...) are Qt's: a session manager
// restores the window program with them, so they never count as ours.

#include <QDate>
#include <QStringList>

// The arguments that are the program's own: all but the program's name and Qt's options
// with their values. None means the window program.
QStringList OwnArguments(const QStringList& arguments);

// What the program's own arguments ask for, or why they cannot be done.
struct CommandRequest {
    enum class What { Report, Help, Version, Wrong };
    What what = What::Wrong;
    QDate from;
    QDate to;
    bool pdf = false;
    QString path;    // "-" is standard output
    QString message; // why, when Wrong
};
CommandRequest ReadCommandLine(const QStringList& own);

// The files in a data folder that a report must never replace.
QStringList DataFiles(const QString& dataDirectory);

// Runs the command line without a window; the exit code: 0 done, 1 the report could not be
// written, 2 wrong arguments.
int RunCommandLine(int argc, char* argv[]);
