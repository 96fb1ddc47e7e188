#pragma once
// Qt's own texts in Russian: the buttons of message boxes, the colour, file, print and
// page-setup dialogs, the command line's help. The program speaks Russian whatever the
// desktop's language, so the Russian catalogue is loaded always.

class QCoreApplication;
class QString;

namespace Translations {

// The folder Qt's catalogues were installed into (Debian: qt6-translations-l10n).
QString QtCatalogueFolder();
// Installs qtbase_ru (and, where there is one, qt_ru for the rest of Qt) on `app`; false when
// no Russian catalogue could be found, and the stock texts stay English.
bool InstallRussian(QCoreApplication& app);

} // namespace Translations
