#pragma once
// The program's own command line: --help, --version, and the report of a range of dates
// written to a PDF or CSV file, for scheduled reports:
//   kelvora --report 01.12.2026 31.12.2026 --pdf december.pdf
// and the spending of the billing period (or of a range) for scripts and status bars:
//   kelvora --summary [FROM TO] [--json]
// Both read the tables of the current folder, or of the one --data DIR names.
// Qt's options (-platform, -session, -style, -display, ...) are Qt's: a session manager
// restores the window program with them, so they never count as ours.

#include <QDate>
#include <QStringList>

// The arguments that are the program's own: all but the program's name and Qt's options
// with their values. None means the window program.
QStringList OwnArguments(const QStringList& arguments);

// What the program's own arguments ask for, or why they cannot be done.
struct CommandRequest {
    enum class What { Report, Summary, Help, Version, Wrong };
    What what = What::Wrong;
    QDate from;
    QDate to;
    bool pdf = false;
    QString path;          // "-" is standard output
    bool json = false;     // the summary as one JSON object
    QString dataDirectory; // --data: the folder of the tables; empty for the current one
    QString message;       // why, when Wrong
};
CommandRequest ReadCommandLine(const QStringList& own);

// The files in a data folder that a report must never replace or create.
QStringList DataFiles(const QString& dataDirectory);

// The summary of the data folder's spending, as text or JSON; the exit code as below, the
// output or the message in `out`. `today` is the day whose billing period is summed when the
// request names no dates.
int RunSummary(const CommandRequest& request, const QString& dataDirectory, const QDate& today,
               QString& out);

// Runs the command line without a window; the exit code: 0 done, 1 the report or summary
// could not be made, 2 wrong arguments.
int RunCommandLine(int argc, char* argv[]);
