#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Translations {

QString QtCatalogueFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool InstallRussian(QCoreApplication& app) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    bool any = false;
    for (const char* catalogue : {"qtbase", "qt"}) {
        // Owned by the application: the texts are looked up for as long as it runs.
        auto* translator = new QTranslator(&app);
        if (translator->load(russian, QString::fromLatin1(catalogue), QStringLiteral("_"),
                             QtCatalogueFolder()) &&
            QCoreApplication::installTranslator(translator)) {
            any = true;
            if (QLatin1String(catalogue) == QLatin1String("qtbase"))
                break; // qt_ru only gathers qtbase_ru and the modules we do not use
        } else {
            delete translator;
        }
    }
    return any;
}

} // namespace Translations
