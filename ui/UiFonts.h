#pragma once
// The faces the windows ask for, with the nearest faces a Linux desktop has after them.

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>

namespace UiFonts {

inline QStringList SansFamilies() {
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}
inline QStringList TitleFamilies() {
    return {QStringLiteral("Book Antiqua"),     QStringLiteral("Palatino Linotype"),
            QStringLiteral("TeX Gyre Pagella"), QStringLiteral("P052"),
            QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
}
inline QStringList SerifFamilies() {
    return {QStringLiteral("Georgia"), QStringLiteral("Gelasio"),
            QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
}

// The first of `families` this machine has, looked up once per list: a font that carries
// the whole list has Qt look for each missing face again, through fontconfig, wherever the
// font is first used. The installed families are listed once; asking fontconfig about
// each missing face by name costs a substitution pass apiece. Nothing found: the first.
inline QString InstalledFamily(const QStringList& families) {
    static QHash<QStringList, QString> found;
    const auto known = found.constFind(families);
    if (known != found.cend())
        return *known;
    // Names as fontconfig gives them, without the foundry Qt adds to some ("P052 [UKWN]").
    static const QStringList installed = [] {
        QStringList names;
        for (const QString& name : QFontDatabase::families())
            names << name.section(QStringLiteral(" ["), 0, 0);
        return names;
    }();
    QString family = families.value(0);
    for (const QString& candidate : families)
        if (installed.contains(candidate, Qt::CaseInsensitive)) {
            family = candidate;
            break;
        }
    found.insert(families, family);
    return family;
}

inline QFont Font(const QStringList& families, int pixels, bool bold = false) {
    QFont font;
    font.setFamilies({InstalledFamily(families)});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace UiFonts
