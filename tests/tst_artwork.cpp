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
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
