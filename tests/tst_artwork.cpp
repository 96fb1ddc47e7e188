#include "ui/Artwork.h"

#include <QtTest>

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    // The toolbar shows a strip kept decoded beside the picture: the very pixels of the
    // picture's corner, so a redrawn picture needs its strip written again.
    void theToolbarStripIsTheShownCornerOfThePicture() {
        const QImage strip =
            Artwork::ToolbarStrip().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage picture = Artwork::Picture(QStringLiteral("toolbar")).toImage();
        QVERIFY(!strip.isNull() && !picture.isNull());
        QCOMPARE(strip.size(), Artwork::ToolbarStripRect.size());
        QCOMPARE(strip,
                 picture.copy(Artwork::ToolbarStripRect).convertToFormat(QImage::Format_RGB32));
    }

    // The program's icon offers three sizes and draws each one as it is first asked for:
    // the very picture of that size, and a size between two served from the larger.
    void theProgramIconDrawsTheSizeAskedFor() {
        const QIcon icon = Artwork::ApplicationIcon();
        QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
        for (const int side : {16, 32, 48}) {
            const QImage drawn = icon.pixmap(QSize(side, side)).toImage();
            QCOMPARE(drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     Artwork::ApplicationImage(side));
        }
        const QPixmap between = icon.pixmap(QSize(24, 24));
        QCOMPARE(between.size(), QSize(24, 24));
        QVERIFY(between.toImage().pixelColor(12, 12).alpha() > 0);
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
