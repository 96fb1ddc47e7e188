#include "TestFiles.h"
#include "link/LinkChoice.h"
#include "settings/ProgramSettings.h"

#include <QtTest>
#include <sys/stat.h>

// kelvora.ini: what a missing, hand-written, damaged or unwritable file does to the link
// choice, and that a write is all or nothing.
class TestProgramSettings : public QObject {
    Q_OBJECT
private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("file"); // "-" for no file at all
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<QString>("said"); // a word of the message, or none
        QTest::newRow("no file: all") << QByteArray("-") << "all" << QStringList{} << QString();
        QTest::newRow("empty file: all") << QByteArray() << "all" << QStringList{} << QString();
        QTest::newRow("other groups only")
            << QByteArray("[Budget]\nLimit=100\n") << "all" << QStringList{} << QString();
        QTest::newRow("chosen, a hand-written list")
            << QByteArray("[Link]\nMode=chosen\nInterfaces=ppp*, wwan0,enx*\n") << "chosen"
            << QStringList{"ppp*", "wwan0", "enx*"} << QString();
        QTest::newRow("chosen, a quoted list")
            << QByteArray("[Link]\nMode=chosen\nInterfaces=\"ppp*, wwan0\"\n") << "chosen"
            << QStringList{"ppp*", "wwan0"} << QString();
        QTest::newRow("one name") << QByteArray("[Link]\nMode=chosen\nInterfaces=usb0\n")
                                  << "chosen" << QStringList{"usb0"} << QString();
        QTest::newRow("empty items dropped")
            << QByteArray("[Link]\nMode=chosen\nInterfaces=, ppp0 ,,\n") << "chosen"
            << QStringList{"ppp0"} << QString();
        QTest::newRow("mode in capitals, with blanks")
            << QByteArray("[Link]\nMode= Metered \n") << "metered" << QStringList{} << QString();
        QTest::newRow("unknown mode: all, and said")
            << QByteArray("[Link]\nMode=wifi\nInterfaces=ppp0\n") << "all" << QStringList{"ppp0"}
            << "Mode";
        QTest::newRow("mode with a comma: said")
            << QByteArray("[Link]\nMode=chosen,metered\n") << "all" << QStringList{} << "Mode";
        QTest::newRow("a pattern that fits nothing: said")
            << QByteArray("[Link]\nMode=chosen\nInterfaces=ppp[, wwan0\n") << "chosen"
            << QStringList{"ppp[", "wwan0"} << "ppp[";
        QTest::newRow("Windows line ends")
            << QByteArray("[Link]\r\nMode=chosen\r\nInterfaces=ppp*\r\n") << "chosen"
            << QStringList{"ppp*"} << QString();
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, mode);
        QFETCH(QStringList, patterns);
        QFETCH(QString, said);
        QTemporaryDir dir;
        if (file != "-")
            WriteFile(dir.filePath("kelvora.ini"), file);
        ProgramSettings settings(dir.path());
        QCOMPARE(settings.Load(), std::nullopt);
        const LinkChoiceRead read = ReadLinkChoice(settings);
        QCOMPARE(ModeWord(read.choice.mode()), mode);
        QCOMPARE(read.choice.patterns(), patterns);
        QCOMPARE(read.problem.has_value(), !said.isEmpty());
        if (read.problem)
            QVERIFY2(read.problem->contains(said), qPrintable(*read.problem));
    }

    void writeAndReadBack() {
        QTemporaryDir dir;
        WriteFile(dir.filePath("kelvora.ini"), "[Budget]\nLimit=250\n");
        ProgramSettings settings(dir.path());
        QCOMPARE(settings.Load(), std::nullopt);
        const LinkChoice choice(LinkMode::Chosen, {"ppp*", "wwan0"});
        QCOMPARE(SaveLinkChoice(settings, choice), std::nullopt);
        QCOMPARE(ReadLinkChoice(settings).choice, choice);

        ProgramSettings again(dir.path());
        QCOMPARE(again.Load(), std::nullopt);
        QCOMPARE(ReadLinkChoice(again).choice, choice);
        QCOMPARE(again.Value("Budget/Limit").toInt(), 250); // the other settings kept
        QVERIFY(!QFile::exists(dir.filePath("kelvora.ini.tmp")));

        QCOMPARE(SaveLinkChoice(again, LinkChoice(LinkMode::Metered, {})), std::nullopt);
        ProgramSettings third(dir.path());
        third.Load();
        QCOMPARE(ReadLinkChoice(third).choice.mode(), LinkMode::Metered);
        QVERIFY(ReadLinkChoice(third).choice.patterns().isEmpty());
    }

    // The link choice and the budget each keep a copy of the file's values: a write through
    // one copy keeps what the other wrote after both were read.
    void copiesKeepEachOthersKeys() {
        QTemporaryDir dir;
        ProgramSettings link(dir.path());
        ProgramSettings budget(dir.path());
        QCOMPARE(link.Load(), std::nullopt);
        QCOMPARE(budget.Load(), std::nullopt);
        QCOMPARE(budget.Save({{"Budget/Money", "500"}}), std::nullopt);
        QCOMPARE(SaveLinkChoice(link, LinkChoice(LinkMode::Chosen, {"ppp*"})), std::nullopt);
        QCOMPARE(budget.Save({{"Budget/Time", "40"}}), std::nullopt);
        ProgramSettings file(dir.path());
        QCOMPARE(file.Load(), std::nullopt);
        QCOMPARE(file.Value("Budget/Money").toString(), QString("500"));
        QCOMPARE(file.Value("Budget/Time").toString(), QString("40"));
        QCOMPARE(ReadLinkChoice(file).choice, LinkChoice(LinkMode::Chosen, {"ppp*"}));
    }

    // A folder that cannot take the temporary file: told, and nothing changes.
    void failedWriteChangesNothing() {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QTemporaryDir dir;
        WriteFile(dir.filePath("kelvora.ini"), "[Link]\nMode=chosen\nInterfaces=ppp0\n");
        const QByteArray before = FileDigest(dir.filePath("kelvora.ini"));
        ProgramSettings settings(dir.path());
        settings.Load();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const auto trouble = SaveLinkChoice(settings, LinkChoice(LinkMode::All, {}));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(trouble);
        QVERIFY2(trouble->contains("kelvora.ini"), qPrintable(*trouble));
        QCOMPARE(FileDigest(dir.filePath("kelvora.ini")), before);
        QCOMPARE(ReadLinkChoice(settings).choice, LinkChoice(LinkMode::Chosen, {"ppp0"}));
    }

    // The same as root: the temporary file's name is taken by a folder.
    void failedRenameChangesNothing() {
        QTemporaryDir dir;
        WriteFile(dir.filePath("kelvora.ini"), "[Link]\nMode=chosen\nInterfaces=ppp0\n");
        const QByteArray before = FileDigest(dir.filePath("kelvora.ini"));
        QVERIFY(QDir(dir.path()).mkpath("kelvora.ini.tmp/inside"));
        ProgramSettings settings(dir.path());
        settings.Load();
        const auto trouble = SaveLinkChoice(settings, LinkChoice(LinkMode::Metered, {}));
        QVERIFY(trouble);
        QCOMPARE(FileDigest(dir.filePath("kelvora.ini")), before);
        QCOMPARE(ReadLinkChoice(settings).choice.mode(), LinkMode::Chosen);
    }

    // A kelvora.ini that is a folder, a pipe with no writer or far too large: said without
    // waiting or reading it all, defaults apply, never written.
    void unreadableFileIsNeverWritten_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("huge") << "huge";
    }
    void unreadableFileIsNeverWritten() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("kelvora.ini");
        if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("kelvora.ini"));
        } else if (kind == "pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            WriteFile(path, "[Link]\nMode=metered\n");
            QFile f(path);
            QVERIFY(f.resize(200 * 1024 * 1024)); // sparse: costs no disk
        }
        const QFileInfo before(path);
        ProgramSettings settings(dir.path());
        const auto problem = settings.Load();
        QVERIFY(problem);
        QVERIFY(problem->contains("kelvora.ini"));
        QCOMPARE(ReadLinkChoice(settings).choice.mode(), LinkMode::All);
        QVERIFY(SaveLinkChoice(settings, LinkChoice(LinkMode::Metered, {})));
        const QFileInfo after(path);
        QCOMPARE(after.isDir(), before.isDir());
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.lastModified(), before.lastModified());
    }

    void patterns_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fits");
        QTest::newRow("star") << "ppp*"
                              << "ppp0" << true;
        QTest::newRow("star, nothing after") << "ppp*"
                                             << "ppp" << true;
        QTest::newRow("star is not a prefix match") << "ppp*"
                                                    << "xppp0" << false;
        QTest::newRow("question mark") << "wwan?"
                                       << "wwan0" << true;
        QTest::newRow("question mark is one") << "wwan?"
                                              << "wwan10" << false;
        QTest::newRow("class") << "usb[01]"
                               << "usb1" << true;
        QTest::newRow("exact") << "enx0a1b"
                               << "enx0a1b" << true;
        QTest::newRow("case matters") << "PPP0"
                                      << "ppp0" << false;
        QTest::newRow("dot is literal") << "a.b"
                                        << "axb" << false;
        QTest::newRow("an unclosed bracket is harmless") << "ppp["
                                                         << "ppp0" << false;
    }
    void patterns() {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, fits);
        QCOMPARE(LinkChoice(LinkMode::Chosen, {pattern}).Lists(name), fits);
    }
};

QTEST_GUILESS_MAIN(TestProgramSettings)
#include "tst_programsettings.moc"
