#pragma once
// Printing, through Qt's print support in the program's module kelvora_print. The module is
// loaded when the first page set-up or print is asked for, so a start that prints nothing
// neither maps that library nor resolves its symbols.

#include <memory>

class ExportProgress;
class PageSource;
class QPrinter;
class QWidget;

namespace Printing {

// What the module offers.
struct Entries {
    QPrinter* (*make)(); // an A4 printer at high resolution
    void (*destroy)(QPrinter* printer);
    bool (*setUp)(QWidget* parent, QPrinter& printer); // the page set-up dialog: accepted?
    // The print dialog, pages 1 to `pageCount` offered as a range: accepted?
    bool (*choose)(QWidget* parent, QPrinter& printer, int pageCount);
    // Prints the pages the printer's range asks for (all when it asks for none). Throws
    // Failure when the printer cannot start, ExportCancelled (the job withdrawn) when
    // `progress` asks to stop.
    void (*print)(PageSource& pages, QPrinter& printer, ExportProgress* progress);
};

// The module's entries; throws Failure when the module is missing.
const Entries& Module();

struct Release {
    void operator()(QPrinter* printer) const { Module().destroy(printer); }
};
using Printer = std::unique_ptr<QPrinter, Release>;

inline Printer MakePrinter() {
    return Printer(Module().make());
}

} // namespace Printing
