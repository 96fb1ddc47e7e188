#include "TestFiles.h"
#include "settings/FramedGeometry.h"
#include "settings/WindowSettings.h"
#include "storage/Failure.h"

#include <QtTest>

Q_DECLARE_METATYPE(WindowGeometry)

class TestWindowSettings : public QObject {
    Q_OBJECT
private slots:
    void readsWithDefaults_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("count");
        QTest::addColumn<WindowGeometry>("geometry");
        const WindowGeometry design;
        QTest::newRow("no file") << QByteArray() << 0 << design;
        QTest::newRow("all values, any case")
            << QByteArray("[start]\r\ncountstart=7\r\n[FORM1]\r\ntop=5\r\nLEFT=6\r\nWidth=700\r\n"
                          "Height=400\r\n")
            << 7 << WindowGeometry{6, 5, 700, 400};
        QTest::newRow("hexadecimal left, width no number")
            << QByteArray("[Form1]\nLeft=0x10\nWidth=wide\n") << 0
            << WindowGeometry{16, 110, 613, 353};
        QTest::newRow("key in another section does not count")
            << QByteArray("[Other]\nTop=1\n[Form1]\n") << 0 << design;
    }
    void readsWithDefaults() {
        QFETCH(QByteArray, file);
        QFETCH(int, count);
        QFETCH(WindowGeometry, geometry);
        QTemporaryDir dir;
        const QString path = dir.filePath("int.ini");
        if (!file.isNull())
            WriteFile(path, file);
        WindowSettings settings(path);
        QCOMPARE(settings.ReadCountStart(), count);
        QCOMPARE(settings.ReadGeometry(WindowGeometry{}), geometry);
    }

    // A huge file (here a sparse one of 16 MB after the keys) is read only as far as a
    // settings file can sensibly reach: the keys at its head still count, the rest is left.
    void aHugeFileIsReadOnlyAtItsHead() {
        QTemporaryDir dir;
        const QString path = dir.filePath("int.ini");
        WriteFile(path, "[Form1]\r\nWidth=700\r\n");
        QFile file(path);
        QVERIFY(file.resize(16 * 1024 * 1024));
        QVERIFY(file.open(QIODevice::Append));
        file.write("\r\n[START]\r\nCountStart=9\r\n");
        file.close();
        qint64 chars = 0;
        const IniFile ini(path);
        for (const QString& line : ini.Lines())
            chars += line.size();
        QVERIFY(chars <= IniFile::MaxBytes);
        WindowSettings settings(path);
        QCOMPARE(settings.ReadGeometry({}).width, 700);
        QCOMPARE(settings.ReadCountStart(), 0);
    }

    void fitsIntoTheScreen_data() {
        QTest::addColumn<WindowGeometry>("stored");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<WindowGeometry>("shown");
        const QRect hd(0, 0, 1920, 1080);
        QTest::newRow("the design place") << WindowGeometry{} << hd << WindowGeometry{};
        QTest::newRow("corner too low: raised to reach the title bar")
            << WindowGeometry{1800, 1000, 600, 400} << hd << WindowGeometry{1800, 980, 600, 400};
        QTest::newRow("huge width and height")
            << WindowGeometry{0, 0, 30000, 2000000000} << hd << WindowGeometry{0, 0, 1920, 1080};
        QTest::newRow("far off to the right and below")
            << WindowGeometry{40000, 40000, 613, 353} << hd << WindowGeometry{1820, 980, 613, 353};
        QTest::newRow("off to the left and above")
            << WindowGeometry{-5000, -20, 613, 353} << hd << WindowGeometry{0, 0, 613, 353};
        QTest::newRow("nothing or less than nothing")
            << WindowGeometry{10, 10, 0, -7} << hd << WindowGeometry{10, 10, 120, 80};
        QTest::newRow("a panel on top, a second screen to the left")
            << WindowGeometry{-3000, 0, 613, 353} << QRect(-1280, 30, 1280, 994)
            << WindowGeometry{-1280, 30, 613, 353};
        QTest::newRow("no screen known")
            << WindowGeometry{1, 2, 30000, 4} << QRect() << WindowGeometry{1, 2, 30000, 4};
    }
    void fitsIntoTheScreen() {
        QFETCH(WindowGeometry, stored);
        QFETCH(QRect, screen);
        QFETCH(WindowGeometry, shown);
        QCOMPARE(WindowSettings::FitInto(stored, screen), shown);
    }

    void writesAndKeepsWhatItDoesNotOwn() {
        QTemporaryDir dir;
        const QString path = dir.filePath("int.ini");
        WriteFile(path, "; kept\r\n[Other]\r\nKey=value\r\n\r\n[form1]\r\nTOP=1\r\nExtra=2\r\n");
        WindowSettings(path).Write(4, {10, 20, 640, 480});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("; kept\r\n[Other]\r\nKey=value\r\n\r\n[form1]\r\n"
                                            "Top=20\r\nExtra=2\r\nLeft=10\r\nWidth=640\r\n"
                                            "Height=480\r\n[START]\r\nCountStart=5\r\n"));
        WindowSettings settings(path);
        QCOMPARE(settings.ReadCountStart(), 5);
        QCOMPARE(settings.ReadGeometry({}), (WindowGeometry{10, 20, 640, 480}));
    }

    void refusedWriteSaysWhere() {
        QTemporaryDir dir;
        // A folder standing where the file should be refuses the write, even to root.
        const QString path = dir.filePath("int.ini");
        QDir().mkpath(path);
        try {
            WindowSettings(path).Write(0, {});
            QFAIL("no failure");
        } catch (const Failure& f) {
            QCOMPARE(f.message(), QStringLiteral("Unable to write to %1").arg(path));
        }
    }

    void livesBesideTheProgramOrInTheConfigFolder() {
        QTemporaryDir dir;
        const QString config = dir.filePath("config");
        QCOMPARE(WindowSettings::Locate(dir.path(), config), dir.filePath("int.ini"));
        const QString installed = dir.filePath("bin");
        QDir().mkpath(installed);
        QFile::setPermissions(installed, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(installed).isWritable())
            QSKIP("running as a user that writes anywhere");
        QCOMPARE(WindowSettings::Locate(installed, config), config + "/kelvora/int.ini");
    }

    // An installed program writes to the configuration folder even where it could write
    // beside itself (as root, or installed under a prefix of the user's own).
    void anInstalledProgramNeverWritesBesideItself_data() {
        QTest::addColumn<QString>("layout");     // the desktop entry, relative to the prefix
        QTest::addColumn<QString>("executable"); // relative to the temporary folder
        QTest::addColumn<bool>("beside");
        QTest::newRow("build folder") << ""
                                      << "build/app" << true;
        QTest::newRow("installed under a prefix")
            << "share/applications/org.kelvora.Kelvora.desktop"
            << "bin" << false;
        QTest::newRow("another program's entry") << "share/applications/other.desktop"
                                                 << "bin" << true;
    }
    void anInstalledProgramNeverWritesBesideItself() {
        QFETCH(QString, layout);
        QFETCH(QString, executable);
        QFETCH(bool, beside);
        QTemporaryDir dir;
        const QString config = dir.filePath("config");
        const QString exeDir = dir.filePath(executable);
        QVERIFY(QDir().mkpath(exeDir));
        if (!layout.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(layout)).path()));
            QFile entry(dir.filePath(layout));
            QVERIFY(entry.open(QIODevice::WriteOnly));
        }
        QCOMPARE(WindowSettings::Locate(exeDir, config),
                 beside ? QDir(exeDir).filePath("int.ini") : config + "/kelvora/int.ini");
    }

    void systemProgramFoldersAreInstalled_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("installed");
        QTest::newRow("/usr/bin") << "/usr/bin" << true;
        QTest::newRow("/usr/local/bin") << "/usr/local/bin" << true;
        QTest::newRow("/opt/kelvora/bin") << "/opt/kelvora/bin" << true;
        QTest::newRow("/bin") << "/bin" << true;
        QTest::newRow("/usrx/bin") << "/usrx/bin" << false;
        QTest::newRow("/home/user/kelvora/build") << "/home/user/kelvora/build" << false;
    }
    void systemProgramFoldersAreInstalled() {
        QFETCH(QString, folder);
        QFETCH(bool, installed);
        QCOMPARE(WindowSettings::Installed(folder), installed);
    }

    // Until the window manager's frame is known, what is written is what was read; once it
    // is, the inside is the read size less the frame, taken once.
    void theFrameIsTakenOnceKnown_data() {
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QSize>("inside"); // empty: not taken
        QTest::newRow("no frame yet") << QMargins() << QSize();
        QTest::newRow("a title bar and borders") << QMargins(1, 23, 1, 2) << QSize(611, 328);
        QTest::newRow("a title bar alone") << QMargins(0, 20, 0, 0) << QSize(613, 333);
    }
    void theFrameIsTakenOnceKnown() {
        QFETCH(QMargins, frame);
        QFETCH(QSize, inside);
        FramedGeometry framed;
        framed.Ask(WindowGeometry{}, QRect(0, 0, 1920, 1080));
        const QRect moved(10, 20, 300, 200);
        QCOMPARE(framed.Outer(moved), WindowGeometry{});
        const auto taken = framed.Framed(frame);
        QCOMPARE(taken.value_or(QSize()), inside);
        QCOMPARE(framed.FramePending(), inside.isEmpty());
        const WindowGeometry outer =
            inside.isEmpty() ? WindowGeometry{} : WindowGeometry{10, 20, 300, 200};
        QCOMPARE(framed.Outer(moved), outer);
        QVERIFY(!framed.Framed(QMargins(5, 5, 5, 5)) || inside.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
