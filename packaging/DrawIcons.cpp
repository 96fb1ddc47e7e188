// Writes the program's icon as kelvora-SIZE.png for the hicolor theme, from its own artwork.
//   draw_icons OUTPUT-DIR

#include "ui/Artwork.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(app.arguments().value(1, QStringLiteral(".")));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        if (!Artwork::ApplicationImage(size).save(
                out.filePath(QStringLiteral("kelvora-%1.png").arg(size))))
            return 1;
    return 0;
}
