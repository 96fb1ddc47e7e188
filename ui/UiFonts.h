#pragma once
// The faces the windows ask for, with the nearest faces a Linux desktop has after them.

#include <QFont>
#include <QStringList>

namespace UiFonts {

inline QStringList SansFamilies() {
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}
inline QStringList TitleFamilies() {
    return {QStringLiteral("Book Antiqua"), QStringLiteral("Palatino Linotype"),
            QStringLiteral("TeX Gyre Pagella"), QStringLiteral("P052"),
            QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
}
inline QStringList SerifFamilies() {
    return {QStringLiteral("Georgia"), QStringLiteral("Gelasio"),
            QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
}

inline QFont Font(const QStringList& families, int pixels, bool bold = false) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace UiFonts
