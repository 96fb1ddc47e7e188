#pragma once
// Sending report pages to a printer, a page at a time.

class QPrinter;
class ExportProgress;
class PageSource;

namespace ReportExport {

// Prints the pages the printer's range asks for (all when it asks for none); a stop asked
// for by `progress` aborts the print job.
void Print(PageSource& pages, QPrinter& printer, ExportProgress* progress = nullptr);

} // namespace ReportExport
