#include "TestFiles.h"
#include "settings/OptionsFile.h"
#include "storage/Failure.h"

#include <QtTest>
#include <sys/stat.h>

namespace {
// options.dn in a throw-away folder.
struct Program {
    QTemporaryDir dir;
    OptionsFile options{dir.path()};

    void Write(const QByteArray& bytes) { WriteFile(options.Path(), bytes); }
    QByteArray Read() const {
        QFile f(options.Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

bool NothingRead(const LoadedOptions& loaded) {
    return !loaded.startMinimised && !loaded.password && !loaded.pollSeconds;
}
} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void byteForms_data() {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("the eight-byte example") << true << "" << 3 << QByteArray("1\r\n\r\n3\r\n");
        QTest::newRow("abc is cde") << false << "abc" << 10 << QByteArray("0\r\ncde\r\n10\r\n");
        QTest::newRow("я wraps to byte 1")
            << false << "пря" << 0 << QByteArray("0\r\n\xF1\xF2\x01\r\n0\r\n");
        QTest::newRow("ю wraps to byte 0")
            << false << "ю" << 0 << QByteArray("0\r\n\x00\r\n0\r\n", 9);
        QTest::newRow("negative interval written with its sign")
            << false << "" << -5 << QByteArray("0\r\n\r\n-5\r\n");
    }
    void byteForms() {
        QFETCH(bool, flag);
        QFETCH(QString, password);
        QFETCH(int, interval);
        QFETCH(QByteArray, bytes);
        QCOMPARE(JoinOptions(flag, password, interval), bytes);
        const OptionsLines lines = SplitOptions(bytes);
        QCOMPARE(FromWindows1251(ShiftCodesDown(lines.password)), password);
        QCOMPARE(lines.flag, QByteArray(flag ? "1" : "0"));
    }

    void shiftsWrapWithinTheByte() {
        QCOMPARE(ShiftCodesUp(QByteArray("\xFE\xFF\x00\x01", 4)),
                 QByteArray("\x00\x01\x02\x03", 4));
        QCOMPARE(ShiftCodesDown(QByteArray("\x00\x01", 2)), QByteArray("\xFE\xFF", 2));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        QCOMPARE(ShiftCodesDown(ShiftCodesUp(all)), all);
    }

    void everyByteReadsAndWritesBack() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        const QString text = FromWindows1251(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text[0xFF], QChar(0x044F)); // я
        QCOMPARE(ToWindows1251(text), all);
    }

    void splitting_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("interval");
        QTest::addColumn<bool>("missing");
        QTest::newRow("CR LF") << QByteArray("1\r\ncde\r\n3\r\n") << QByteArray("1")
                               << QByteArray("cde") << QByteArray("3") << false;
        QTest::newRow("LF alone") << QByteArray("0\ncde\n3\n") << QByteArray("0")
                                  << QByteArray("cde") << QByteArray("3") << false;
        QTest::newRow("no last line end")
            << QByteArray("0\n\n7") << QByteArray("0") << QByteArray() << QByteArray("7") << false;
        QTest::newRow("two lines") << QByteArray("1\r\nx\r\n") << QByteArray("1") << QByteArray("x")
                                   << QByteArray() << true;
        QTest::newRow("empty file")
            << QByteArray() << QByteArray() << QByteArray() << QByteArray() << true;
        QTest::newRow("more lines ignored") << QByteArray("0\n\n5\nextra\n") << QByteArray("0")
                                            << QByteArray() << QByteArray("5") << false;
        QTest::newRow("byte 0 in the password") << QByteArray("0\r\na\x00"
                                                              "b\r\n3\r\n",
                                                              11)
                                                << QByteArray("0")
                                                << QByteArray("a\x00"
                                                              "b",
                                                              3)
                                                << QByteArray("3") << false;
    }
    void splitting() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, flag);
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, interval);
        QFETCH(bool, missing);
        const OptionsLines lines = SplitOptions(bytes);
        QCOMPARE(lines.flag, flag);
        QCOMPARE(lines.password, password);
        QCOMPARE(lines.interval, interval);
        QCOMPARE(lines.intervalMissing, missing);
    }

    void loadingReadsEachLine() {
        Program p;
        p.Write("1\r\ncde\r\n10\r\n");
        const LoadedOptions loaded = p.options.Load();
        QCOMPARE(loaded.startMinimised, std::optional<bool>(true));
        QCOMPARE(loaded.password, std::optional<QString>("abc"));
        QCOMPARE(loaded.pollSeconds, std::optional<int>(10));
        QVERIFY(!loaded.failure);
    }

    // A first line of "0" clears the mark, "1" sets it; any other leaves it as it is.
    void theFirstLineSetsAndClearsTheMark_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("flag"); // -1: not read
        QTest::newRow("0 clears") << QByteArray("0\r\n\r\n3\r\n") << 0;
        QTest::newRow("1 sets") << QByteArray("1\r\n\r\n3\r\n") << 1;
        QTest::newRow("a blank before 1 leaves it") << QByteArray(" 1\n\n3\n") << -1;
        QTest::newRow("empty leaves it") << QByteArray("\n\n3\n") << -1;
    }
    void theFirstLineSetsAndClearsTheMark() {
        QFETCH(QByteArray, file);
        QFETCH(int, flag);
        Program p;
        p.Write(file);
        const LoadedOptions loaded = p.options.Load();
        QCOMPARE(loaded.startMinimised,
                 flag < 0 ? std::optional<bool>() : std::optional<bool>(flag == 1));
        QCOMPARE(loaded.pollSeconds, std::optional<int>(3));
    }

    void lineThree_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error"); // empty: the interval is 10
        QTest::newRow("plain") << QByteArray("0\n\n10\n") << "";
        QTest::newRow("blanks before") << QByteArray("0\n\n  10\n") << "";
        QTest::newRow("plus sign") << QByteArray("0\n\n+10\n") << "";
        QTest::newRow("leading zero") << QByteArray("0\n\n010\n") << "";
        QTest::newRow("$A") << QByteArray("0\n\n$A\n") << "";
        QTest::newRow("0xA") << QByteArray("0\n\n0xA\n") << "";
        QTest::newRow("trailing blank")
            << QByteArray("0\n\n10 \n") << "'10 ' is not a valid integer value";
        QTest::newRow("a word") << QByteArray("0\n\nten\n") << "'ten' is not a valid integer value";
        QTest::newRow("empty") << QByteArray("0\n\n\n") << "'' is not a valid integer value";
        QTest::newRow("missing") << QByteArray("0\n") << "'' is not a valid integer value";
        QTest::newRow("negative") << QByteArray("0\n\n-5\n") << "отрицательным";
        QTest::newRow("milliseconds too many") << QByteArray("0\n\n2147484\n") << "слишком велик";
        // Beyond 32 bits: refused like any other out-of-range value, never read as 0.
        QTest::newRow("ten digits") << QByteArray("0\n\n9999999999\n") << "слишком велик";
        QTest::newRow("twenty digits")
            << QByteArray("0\n\n99999999999999999999\n") << "слишком велик";
        QTest::newRow("ten digits, negative")
            << QByteArray("0\n\n-9999999999\n") << "отрицательным";
        QTest::newRow("hex past 32 bits") << QByteArray("0\n\n$100000000\n") << "слишком велик";
    }
    void lineThree() {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        Program p;
        p.Write(file);
        const LoadedOptions loaded = p.options.Load();
        if (error.isEmpty()) {
            QCOMPARE(loaded.failure, std::optional<QString>());
            QCOMPARE(loaded.pollSeconds, std::optional<int>(10));
        } else {
            QVERIFY2(loaded.failure && loaded.failure->contains(error),
                     qPrintable(loaded.failure.value_or("nothing")));
            QVERIFY(!loaded.pollSeconds);                          // nothing to apply
            QCOMPARE(loaded.password, std::optional<QString>("")); // lines 1 and 2 read before
            QCOMPARE(loaded.startMinimised, std::optional<bool>(false));
        }
    }

    void intervalRange_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<bool>("taken");
        QTest::newRow("zero stops polling") << 0LL << true;
        QTest::newRow("one") << 1LL << true;
        QTest::newRow("longest") << 2'147'483LL << true;
        QTest::newRow("one more") << 2'147'484LL << false;
        QTest::newRow("negative") << -1LL << false;
    }
    void intervalRange() {
        QFETCH(qint64, seconds);
        QFETCH(bool, taken);
        QCOMPARE(!PollIntervalRefusal(seconds).has_value(), taken);
    }

    void wideIntegers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("integer");
        QTest::addColumn<qint64>("value");
        const qint64 top = std::numeric_limits<qint64>::max();
        const qint64 bottom = std::numeric_limits<qint64>::min();
        QTest::newRow("fits") << " +10" << true << 10LL;
        QTest::newRow("hex fills 32 bits") << "$FFFFFFFF" << true << -1LL;
        QTest::newRow("one past the top") << "2147483648" << true << top;
        QTest::newRow("ten nines") << "9999999999" << true << top;
        QTest::newRow("forty digits") << QString(40, QLatin1Char('7')) << true << top;
        QTest::newRow("one past the bottom") << "-2147483649" << true << bottom;
        QTest::newRow("long hex") << "0x123456789" << true << top;
        QTest::newRow("long negative hex") << "-$123456789" << true << bottom;
        QTest::newRow("long but a letter") << "99999999999a" << false << 0LL;
        QTest::newRow("long but a blank after") << "99999999999 " << false << 0LL;
        QTest::newRow("sign alone") << "-" << false << 0LL;
        QTest::newRow("fraction") << "1,5" << false << 0LL;
    }
    void wideIntegers() {
        QFETCH(QString, text);
        QFETCH(bool, integer);
        QFETCH(qint64, value);
        const auto read = WideIntegerIn(text);
        QCOMPARE(read.has_value(), integer);
        if (integer)
            QCOMPARE(*read, value);
    }

    // A file far larger than three lines can be is damaged: nothing of it is taken, the file
    // is named, and it stays as it was. The largest password the field takes still reads.
    void oversizedFileIsNotRead() {
        Program p;
        {
            QFile f(p.options.Path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("1\r\ncde\r\n10\r\n");
            QVERIFY(f.resize(8 * 1024 * 1024)); // sparse: costs no disk
        }
        const LoadedOptions large = p.options.Load();
        const QString failure = large.failure.value_or(QString());
        QVERIFY2(failure.contains(QDir::toNativeSeparators(p.options.Path())), qPrintable(failure));
        QVERIFY2(failure.contains("повреждён"), qPrintable(failure));
        QVERIFY(NothingRead(large));
        QCOMPARE(p.options.ReadPassword(), std::optional<QString>());
        QCOMPARE(QFileInfo(p.options.Path()).size(), 8 * 1024 * 1024);

        // A pipe by that name, with no writer: not waited on, and named.
        QVERIFY(QFile::remove(p.options.Path()));
        QCOMPARE(::mkfifo(QFile::encodeName(p.options.Path()).constData(), 0600), 0);
        QCOMPARE(p.options.ReadPassword(), std::optional<QString>());
        const LoadedOptions pipe = p.options.Load();
        QVERIFY2(pipe.failure && pipe.failure->contains(QDir::toNativeSeparators(p.options.Path())),
                 qPrintable(pipe.failure.value_or("nothing")));
        QVERIFY(NothingRead(pipe));
        QVERIFY(QFile::remove(p.options.Path()));

        const QString longest(32767, QLatin1Char('w'));
        p.Write(JoinOptions(false, longest, 7));
        const LoadedOptions read = p.options.Load();
        QVERIFY(!read.failure);
        QCOMPARE(read.password, std::optional<QString>(longest));
        QCOMPARE(read.pollSeconds, std::optional<int>(7));
    }

    // The password line is only disguised: the file is the owner's alone, whether it is new
    // or replaces one that others could read; one found readable by others is narrowed at
    // start, when its password is read.
    void savedFileIsTheOwnersOnly() {
        Program p;
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ReadOther | QFileDevice::WriteOther;
        p.Write("0\r\nugetgv\r\n3\r\n");
        QVERIFY(QFile::setPermissions(p.options.Path(), QFile::ReadOwner | QFile::WriteOwner |
                                                            QFileDevice::ReadGroup |
                                                            QFileDevice::ReadOther));
        QCOMPARE(p.options.ReadPassword(), std::optional<QString>("secret"));
        QCOMPARE(QFile::permissions(p.options.Path()) & others, QFileDevice::Permissions());
        QVERIFY(QFile::permissions(p.options.Path()) & QFileDevice::WriteOwner);
        QVERIFY(QFile::remove(p.options.Path()));
        p.options.Save(Options{});
        QCOMPARE(QFile::permissions(p.options.Path()) & others, QFileDevice::Permissions());
        QVERIFY(QFile::setPermissions(p.options.Path(), QFile::permissions(p.options.Path()) |
                                                            QFileDevice::ReadGroup |
                                                            QFileDevice::ReadOther));
        p.options.Save(Options{false, "secret", 0});
        QCOMPARE(QFile::permissions(p.options.Path()) & others, QFileDevice::Permissions());
        QVERIFY(QFile::permissions(p.options.Path()) & QFileDevice::ReadOwner);
        QCOMPARE(p.Read(), QByteArray("0\r\nugetgv\r\n0\r\n"));
    }

    void noFileReadsNothing() {
        Program p;
        const LoadedOptions loaded = p.options.Load();
        QVERIFY(NothingRead(loaded));
        QVERIFY(!loaded.failure);
        QCOMPARE(p.options.ReadPassword(), std::optional<QString>());
    }

    void savingWritesWholeOrNothing() {
        Program p;
        p.options.Save(Options{true, "я", 20});
        QCOMPARE(p.Read(), QByteArray("1\r\n\x01\r\n20\r\n"));
        // A folder where the temporary file would go: refused, said, and the file stays.
        QFile::setPermissions(p.dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool locked = !QFileInfo(p.dir.path()).isWritable();
        QFile::setPermissions(p.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!locked) { // root writes anywhere: make the file itself a folder instead
            QFile::remove(p.options.Path());
            QDir().mkpath(p.options.Path());
        }
        const QString failure = FailureOf([&] { p.options.Save(Options{}); });
        QVERIFY2(failure.contains(p.options.Path()), qPrintable(failure));
    }

    void passwordRefusals_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Cyrillic") << "пароль" << false;
        QTest::newRow("Latin with blanks") << " Secret 1 " << false;
        QTest::newRow("empty removes the password") << "" << false;
        QTest::newRow("code 8") << "a\bb" << true;
        QTest::newRow("code 11") << "a\vb" << true;
        QTest::newRow("not in Windows-1251") << "日本" << true;
        QTest::newRow("emoji") << "пароль\U0001F600" << true;
    }
    void passwordRefusals() {
        QFETCH(QString, password);
        QFETCH(bool, refused);
        QCOMPARE(PasswordRefusal(password).has_value(), refused);
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
