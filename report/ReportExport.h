#pragma once
// Writing the report out: to PDF and CSV files, and to a printer, a page at a time.

#include <QString>
#include <QStringList>

class QPrinter;
class PageSource;
class ReportDocument;

namespace ReportExport {

// Where a report may go. A regular file (or a new one) is written under a temporary name and
// renamed over the old one, so a failure leaves the old file as it was; a device or a pipe
// is written into as it stands, never replaced; "-" is standard output. `keepOff` names
// files a report must never replace (the program's own data): a path naming one of them in
// any spelling (a link, another folder path, a hard link) is refused.
struct ReportTarget {
    QString path;
    QStringList keepOff;
};

// Each throws Failure naming the file and the reason when it cannot be written.
void WritePdf(ReportDocument& report, const ReportTarget& target);
// UTF-8, ";" between fields: the captions, one line per record, then the totals line.
void WriteCsv(const ReportDocument& report, const ReportTarget& target);
inline void WritePdf(ReportDocument& report, const QString& path) { WritePdf(report, {path, {}}); }
inline void WriteCsv(const ReportDocument& report, const QString& path) {
    WriteCsv(report, {path, {}});
}

// Prints the pages the printer's range asks for (all when it asks for none).
void Print(PageSource& pages, QPrinter& printer);

} // namespace ReportExport
