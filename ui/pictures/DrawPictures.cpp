// Writes ui/pictures/toolbar.jpg and about.jpg from the program's own artwork.
// Build the target draw_pictures and run it from ui/pictures when the artwork changes.

#include "ui/Artwork.h"

#include <QGuiApplication>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const bool ok = Artwork::ToolbarArtwork().save(QStringLiteral("toolbar.jpg"), "JPG", 90) &&
                    Artwork::AboutArtwork().save(QStringLiteral("about.jpg"), "JPG", 92);
    return ok ? 0 : 1;
}
