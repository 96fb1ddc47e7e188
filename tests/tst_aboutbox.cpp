#include "GuiFakes.h"
#include "LabelsFit.h"
#include "about/AboutBox.h"
#include "about/AboutFacts.h"
#include "about/Author.h"
#include "platform/MachineFacts.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
class FakeFacts final : public MachineFacts {
public:
    QString OperatingSystem() override { return system; }
    quint64 PhysicalMemoryBytes() override { return memory; }
    QString RegisteredOwner() override { return owner; }
    QString system = "Debian GNU/Linux 12 (bookworm)";
    quint64 memory = 268'435'456;
    QString owner = "Иван Петров";
};
} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void memoryText_data() {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("256 MB") << quint64(268'435'456) << QString::fromUtf8("262\u00A0144 KB");
        QTest::newRow("under a thousand KB") << quint64(512 * 1024) << QString("512 KB");
        QTest::newRow("rounded up") << quint64(1536 + 512) << QString("2 KB");
        QTest::newRow("24 GB") << quint64(24) * 1024 * 1024 * 1024
                               << QString::fromUtf8("25\u00A0165\u00A0824 KB");
        QTest::newRow("nothing") << quint64(0) << QString(" KB");
    }
    void memoryText() {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(MemoryText(bytes), text);
    }

    void prettyName_data() {
        QTest::addColumn<QByteArray>("osRelease");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted") << QByteArray("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
                                              "(bookworm)\"\n")
                                << "Debian GNU/Linux 12 (bookworm)";
        QTest::newRow("bare") << QByteArray("PRETTY_NAME=Alpine\n") << "Alpine";
        QTest::newRow("single quotes") << QByteArray("PRETTY_NAME='Arch Linux'") << "Arch Linux";
        QTest::newRow("missing") << QByteArray("NAME=x\n") << "";
    }
    void prettyName() {
        QFETCH(QByteArray, osRelease);
        QFETCH(QString, name);
        QCOMPARE(PrettyNameOf(osRelease), name);
    }

    void owner() {
        QCOMPARE(OwnerFrom("Иван Петров,,,", "ivan"), QStringLiteral("Иван Петров"));
        QCOMPARE(OwnerFrom(",,,", "ivan"), QStringLiteral("ivan"));
        QCOMPARE(OwnerFrom("", "root"), QStringLiteral("root"));
    }

    void factsAreReadAfreshAtEveryShowing() {
        FakeFacts facts;
        FakeDialogs dialogs;
        AboutBox box(facts, [&](const QUrl& url) { dialogs.OpenUrl(url); });
        QCOMPARE(box.windowTitle(), QStringLiteral("Немного об Kelvora и её создателе"));
        box.show();
        auto label = [&](const char* name) {
            return box.findChild<QLabel*>(name)->text();
        };
        QCOMPARE(label("Label8"), facts.system);
        QCOMPARE(label("Label9"), QString::fromUtf8("262\u00A0144 KB"));
        QCOMPARE(label("Label11"), facts.owner);
        box.hide();
        facts.owner = "";
        facts.memory = 1024 * 1024;
        box.show();
        QCOMPARE(label("Label11"), QString());
        QCOMPARE(label("Label9"), QString::fromUtf8("1\u00A0024 KB"));
        box.hide();
    }

    // The e-mail address and every other line show in full, none over another.
    void everyLineShowsWhole() {
        FakeFacts facts;
        AboutBox box(facts, [](const QUrl&) {});
        box.show();
        QVERIFY2(LabelsThatDoNotFit(*box.findChild<QWidget*>("Panel1")).isEmpty(),
                 qPrintable(LabelsThatDoNotFit(*box.findChild<QWidget*>("Panel1")).join(", ")));
        QVERIFY(box.findChild<QLabel*>("Label4")->text().endsWith(Author::Mail));
    }

    void linksOpenAndEnterCloses() {
        FakeFacts facts;
        FakeDialogs dialogs;
        AboutBox box(facts, [&](const QUrl& url) { dialogs.OpenUrl(url); });
        box.show();
        QTest::mouseClick(box.findChild<QLabel*>("Label4"), Qt::LeftButton);
        QVERIFY(box.isVisible());
        QTest::mouseClick(box.findChild<QLabel*>("Label5"), Qt::LeftButton);
        QCOMPARE(dialogs.opened.size(), 2);
        QCOMPARE(dialogs.opened[0].scheme(), QStringLiteral("mailto"));
        QVERIFY(dialogs.opened[1].scheme().startsWith("http"));
        QVERIFY(box.findChild<QPushButton*>("BitBtn1")->isDefault());
        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void systemFactsAreThere() {
        SystemFacts facts;
        QVERIFY(!facts.OperatingSystem().isEmpty());
        QVERIFY(facts.PhysicalMemoryBytes() > 64ull * 1024 * 1024);
        QVERIFY(!facts.RegisteredOwner().isEmpty());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
