#pragma once
// The program without a window: --help, --version, and the report of a range of dates
// written to a PDF or CSV file, for scheduled reports:
//   kelvora --report 01.12.2026 31.12.2026 --pdf december.pdf

#include <QStringList>

// True when the arguments ask for the command line rather than the windows.
bool WantsCommandLine(int argc, char* argv[]);
// Runs it; the exit code.
int RunCommandLine(int argc, char* argv[]);
