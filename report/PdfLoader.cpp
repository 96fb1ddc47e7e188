#include "PdfLoader.h"

#include "platform/ProgramModule.h"
#include "storage/Failure.h"

std::unique_ptr<PageSource> OpenSavedPdf(const QString& path) {
    using Open = PageSource* (*)(const QString&, QString*);
    static const auto open = reinterpret_cast<Open>(
        ProgramModuleEntry(QStringLiteral("kelvora_pdfview"), "KelvoraOpenPdf"));
    if (!open)
        throw Failure(QStringLiteral("Отчёт PDF открыть нельзя: не найден модуль kelvora_pdfview "
                                     "рядом с программой."));
    QString error;
    std::unique_ptr<PageSource> pages(open(path, &error));
    if (!pages)
        throw Failure(error);
    return pages;
}
