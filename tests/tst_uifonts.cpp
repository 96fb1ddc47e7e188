#include "ui/UiFonts.h"

#include <QApplication>
#include <QFontInfo>
#include <QtTest>

// The faces are looked up once per list: the face chosen must be the one Qt itself
// chooses for the whole list, on whatever this machine has installed.
class TestUiFonts : public QObject {
    Q_OBJECT
private slots:
    void theFaceMatchedOnceIsTheFaceQtMatches_data() {
        QTest::addColumn<QStringList>("families");
        QTest::newRow("sans") << UiFonts::SansFamilies();
        QTest::newRow("title") << UiFonts::TitleFamilies();
        QTest::newRow("serif") << UiFonts::SerifFamilies();
        QTest::newRow("a monospaced face after one no machine has")
            << QStringList{"MS Sans Serif", "DejaVu Sans Mono"};
        QTest::newRow("only faces no machine has")
            << QStringList{"No Such Face 1", "No Such Face 2"};
        QTest::newRow("an installed face first") << QStringList{"DejaVu Serif", "DejaVu Sans"};
    }
    void theFaceMatchedOnceIsTheFaceQtMatches() {
        QFETCH(QStringList, families);
        for (const int pixels : {11, 13, 40}) {
            QFont asked;
            asked.setFamilies(families);
            asked.setPixelSize(pixels);
            const QFont matched = UiFonts::Font(families, pixels);
            QCOMPARE(QFontInfo(matched).family(), QFontInfo(asked).family());
            QCOMPARE(QFontInfo(matched).pixelSize(), QFontInfo(asked).pixelSize());
        }
        // Asked again, the same answer without a second look.
        QCOMPARE(UiFonts::InstalledFamily(families), UiFonts::InstalledFamily(families));
    }
};

QTEST_MAIN(TestUiFonts)
#include "tst_uifonts.moc"
