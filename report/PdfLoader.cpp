#include "PdfLoader.h"

#include "storage/Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {
using Open = PageSource* (*)(const QString&, QString*);

Open Opener() {
    static Open open = []() -> Open {
        const QDir program(QCoreApplication::applicationDirPath());
        // Beside the build's programs, or where the package installs it.
        for (const QString& dir :
             {QStringLiteral("../lib/kelvora"), QStringLiteral("../" KELVORA_LIBDIR "/kelvora")}) {
            QLibrary module(program.filePath(dir + QStringLiteral("/kelvora_pdfview")));
            if (module.load())
                return reinterpret_cast<Open>(module.resolve("KelvoraOpenPdf"));
        }
        return nullptr;
    }();
    return open;
}
} // namespace

std::unique_ptr<PageSource> OpenSavedPdf(const QString& path) {
    const Open open = Opener();
    if (!open)
        throw Failure(QStringLiteral("Отчёт PDF открыть нельзя: не найден модуль kelvora_pdfview "
                                     "рядом с программой."));
    QString error;
    std::unique_ptr<PageSource> pages(open(path, &error));
    if (!pages)
        throw Failure(error);
    return pages;
}
