#pragma once
// Writing the report out: to PDF and CSV files, and to a printer, a page at a time.

#include <QString>

class QPrinter;
class PageSource;
class ReportDocument;

namespace ReportExport {

// Each throws Failure naming the file and the reason when it cannot be written; a file that
// was there before is left as it was.
void WritePdf(ReportDocument& report, const QString& path);
// UTF-8, ";" between fields: the captions, one line per record, then the totals line.
void WriteCsv(const ReportDocument& report, const QString& path);

// Prints the pages the printer's range asks for (all when it asks for none).
void Print(PageSource& pages, QPrinter& printer);

} // namespace ReportExport
