#pragma once
// Writing the report out: to PDF and CSV files, and to a printer, a page at a time.

#include <QString>
#include <QStringList>

class ExportProgress;
class ReportDocument;

namespace ReportExport {

// Where a report may go. A regular file (or a new one) is written under a temporary name and
// renamed over the old one, so a failure leaves the old file as it was; a device or a pipe
// is written into as it stands, never replaced; "-" is standard output. `keepOff` names
// files a report must never replace or create (the program's own data): a path naming one
// of them in any spelling (a link, another folder path, a hard link) is refused, whether the
// file is there or not; so is any path into one of the folders `keepOutOf` names.
struct ReportTarget {
    QString path;
    QStringList keepOff;
    QStringList keepOutOf;
};

// The files of a data folder a report must never replace or make, whether they are there
// or not, and the folder of its daily copies, which no report goes into.
QStringList ProgramFiles(const QString& dataDirectory);
QString BackupFolder(const QString& dataDirectory);

// Each throws Failure naming the file and the reason when it cannot be written; a file that
// was there before is left as it was. Each reports its pages (CSV: its records) to
// `progress`, when given, and throws ExportCancelled when that asks to stop: then no regular
// file is written, and a file that was there stays as it was.
void WritePdf(ReportDocument& report, const ReportTarget& target,
              ExportProgress* progress = nullptr);
// UTF-8, ";" between fields: the captions, one line per record, then the totals line.
void WriteCsv(const ReportDocument& report, const ReportTarget& target,
              ExportProgress* progress = nullptr);
inline void WritePdf(ReportDocument& report, const QString& path,
                     ExportProgress* progress = nullptr) {
    WritePdf(report, ReportTarget{path, {}, {}}, progress);
}
inline void WriteCsv(const ReportDocument& report, const QString& path,
                     ExportProgress* progress = nullptr) {
    WriteCsv(report, ReportTarget{path, {}, {}}, progress);
}

} // namespace ReportExport
