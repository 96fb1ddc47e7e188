// Writes ui/pictures/toolbar.jpg and about.jpg from the program's own artwork, and
// toolbar-strip.png, the part of toolbar.jpg the toolbar shows, as decoded from it.
// Build the target draw_pictures and run it from ui/pictures when the artwork changes
// (with --strip: only the strip, from the toolbar.jpg there).

#include "ui/Artwork.h"

#include <QGuiApplication>
#include <QImage>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const bool stripOnly = app.arguments().contains(QStringLiteral("--strip"));
    bool ok =
        stripOnly || (Artwork::ToolbarArtwork().save(QStringLiteral("toolbar.jpg"), "JPG", 90) &&
                      Artwork::AboutArtwork().save(QStringLiteral("about.jpg"), "JPG", 92));
    const QImage toolbar(QStringLiteral("toolbar.jpg"), "JPG");
    ok = ok && !toolbar.isNull() &&
         toolbar.copy(Artwork::ToolbarStripRect).save(QStringLiteral("toolbar-strip.png"), "PNG");
    return ok ? 0 : 1;
}
