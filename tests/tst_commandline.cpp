#include "app/CommandLine.h"

#include <QtTest>

// Which arguments are the program's own, and what they ask for.
class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void ownArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("own");
        QTest::newRow("none") << QStringList{"kelvora"} << QStringList{};
        QTest::newRow("a session manager restoring the window")
            << QStringList{"kelvora", "-session", "10abc"} << QStringList{};
        QTest::newRow("Qt's options, with values and =")
            << QStringList{"kelvora",   "-platform", "offscreen",     "-style=Fusion", "-reverse",
                           "--display", ":1",        "-qwindowtitle", "--report"}
            << QStringList{};
        QTest::newRow("ours among Qt's")
            << QStringList{"kelvora",    "-platform", "offscreen", "--report", "1.12.2026",
                           "31.12.2026", "-session",  "x",         "--csv",    "-"}
            << QStringList{"--report", "1.12.2026", "31.12.2026", "--csv", "-"};
        QTest::newRow("an unknown option is ours to refuse")
            << QStringList{"kelvora", "--reprot"} << QStringList{"--reprot"};
        QTest::newRow("a stray word")
            << QStringList{"kelvora", "december"} << QStringList{"december"};
        QTest::newRow("after --, nothing is Qt's")
            << QStringList{"kelvora", "--", "-style"} << QStringList{"--", "-style"};
    }
    void ownArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, own);
        QCOMPARE(OwnArguments(arguments), own);
    }

    void requests_data() {
        using What = CommandRequest::What;
        QTest::addColumn<QStringList>("own");
        QTest::addColumn<int>("what");
        QTest::addColumn<QString>("said"); // part of the message, or the path of a report
        QTest::newRow("csv") << QStringList{"--report", "01.12.2026", "31.12.2026", "--csv",
                                            "m.csv"}
                             << int(What::Report) << "m.csv";
        QTest::newRow("pdf, ISO dates")
            << QStringList{"--pdf", "m.pdf", "--report", "2026-12-01", "2026-12-31"}
            << int(What::Report) << "m.pdf";
        QTest::newRow("one day") << QStringList{"--report", "5.12.2026", "5.12.2026", "--csv", "-"}
                                 << int(What::Report) << "-";
        QTest::newRow("help") << QStringList{"--help"} << int(What::Help) << "";
        QTest::newRow("version") << QStringList{"--version"} << int(What::Version) << "";
        QTest::newRow("unknown option, said in Russian")
            << QStringList{"--reprot"} << int(What::Wrong) << "Неизвестный параметр «reprot»";
        QTest::newRow("a value missing, said in Russian")
            << QStringList{"--summary", "--data"} << int(What::Wrong) << "После «--data» нет";
        QTest::newRow("a data folder named")
            << QStringList{"--data",    "/srv/kelvora", "--report", "1.12.2026",
                           "2.12.2026", "--csv",        "m.csv"}
            << int(What::Report) << "m.csv";
        QTest::newRow("a data folder for the window")
            << QStringList{"--data", "x"} << int(What::Wrong) << "Использование";
        QTest::newRow("reversed dates")
            << QStringList{"--report", "31.12.2026", "01.12.2026", "--csv", "m.csv"}
            << int(What::Wrong) << "позже";
        QTest::newRow("no such date")
            << QStringList{"--report", "31.02.2026", "01.12.2026", "--csv", "m.csv"}
            << int(What::Wrong) << "31.02.2026";
        QTest::newRow("both formats")
            << QStringList{"--report", "1.12.2026", "2.12.2026", "--csv", "a", "--pdf", "b"}
            << int(What::Wrong) << "Использование";
        QTest::newRow("the same format twice")
            << QStringList{"--report", "1.12.2026", "2.12.2026", "--csv", "a", "--csv", "b"}
            << int(What::Wrong) << "Использование";
        QTest::newRow("no file") << QStringList{"--report", "1.12.2026", "2.12.2026"}
                                 << int(What::Wrong) << "Использование";
        QTest::newRow("summary") << QStringList{"--summary"} << int(What::Summary) << "";
        QTest::newRow("summary of a range, JSON")
            << QStringList{"--summary", "2026-12-01", "15.12.2026", "--json"} << int(What::Summary)
            << "";
        QTest::newRow("summary with one date")
            << QStringList{"--summary", "01.12.2026"} << int(What::Wrong) << "Использование";
        QTest::newRow("summary of reversed dates")
            << QStringList{"--summary", "15.12.2026", "01.12.2026"} << int(What::Wrong) << "позже";
        QTest::newRow("summary of no such date")
            << QStringList{"--summary", "30.02.2027", "01.03.2027"} << int(What::Wrong)
            << "30.02.2027";
        QTest::newRow("summary and report at once")
            << QStringList{"--summary", "--report", "1.12.2026", "2.12.2026", "--csv", "-"}
            << int(What::Wrong) << "Использование";
        QTest::newRow("json without summary")
            << QStringList{"--json"} << int(What::Wrong) << "Использование";
        QTest::newRow("dates without --report")
            << QStringList{"1.12.2026", "2.12.2026", "--csv", "a"} << int(What::Wrong)
            << "Использование";
    }
    void requests() {
        QFETCH(QStringList, own);
        QFETCH(int, what);
        QFETCH(QString, said);
        const CommandRequest request = ReadCommandLine(own);
        QCOMPARE(int(request.what), what);
        if (request.what == CommandRequest::What::Report)
            QCOMPARE(request.path, said);
        else if (request.what == CommandRequest::What::Summary)
            QCOMPARE(request.json, own.contains("--json"));
        if (request.what != CommandRequest::What::Wrong)
            QCOMPARE(request.dataDirectory,
                     own.contains("--data") ? own.at(own.indexOf("--data") + 1) : QString());
        else
            QVERIFY2(request.message.contains(said), qPrintable(request.message));
    }

    void dataFilesCoverTheTablesAndTheirJournals() {
        const QStringList files = DataFiles("/d");
        for (const char* name : {"data.db", "data.db-wal", "tarif.db", "tarif.db-journal",
                                 "options.dn", "kelvora.ini", ".kelvora.lock", "int.ini"})
            QVERIFY2(files.contains(QStringLiteral("/d/") + name), name);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
