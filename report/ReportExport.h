#pragma once
// Writing the report out: to PDF and CSV files, and to a printer, a page at a time.

#include <QString>

class QPrinter;
class ExportProgress;
class PageSource;
class ReportDocument;

namespace ReportExport {

// Each throws Failure naming the file and the reason when it cannot be written; a file that
// was there before is left as it was. Each reports its pages (CSV: its records) to
// `progress`, when given, and throws ExportCancelled when that asks to stop: then no file
// is written, and a file that was there stays as it was.
void WritePdf(ReportDocument& report, const QString& path, ExportProgress* progress = nullptr);
// UTF-8, ";" between fields: the captions, one line per record, then the totals line.
void WriteCsv(const ReportDocument& report, const QString& path,
              ExportProgress* progress = nullptr);

// Prints the pages the printer's range asks for (all when it asks for none); a stop asked
// for by `progress` aborts the print job.
void Print(PageSource& pages, QPrinter& printer, ExportProgress* progress = nullptr);

} // namespace ReportExport
