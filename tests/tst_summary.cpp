#include "TestFiles.h"
#include "app/CommandLine.h"
#include "storage/SessionTable.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// kelvora --summary: the billing period's figures read from data.db beside a running
// program, as text and as JSON a status bar parses.
namespace {

SessionRecord Record(QDate date, const QString& duration, const QString& charge) {
    return {date,     QStringLiteral("9:00:00"), QStringLiteral("10:00:00"),
            duration, QStringLiteral("20"),      charge};
}

// A fixed data set: billing periods begin on the 15th, 500 rubles, 10 hours and 1000 МБ a
// period; no traffic counted.
void FillFolder(const QString& dir) {
    WriteFile(QDir(dir).filePath("kelvora.ini"),
              "[Period]\nStartDay=15\n[Budget]\nMoney=500\nTime=10\nTraffic=1000\n");
    SessionTable table(dir);
    table.Append(Record(QDate(2026, 12, 14), "1:00:00", "1000")); // the period before
    table.Append(Record(QDate(2026, 12, 15), "1:30:30", "30,1666666666667"));
    table.Append(Record(QDate(2026, 12, 16), "0:59:30", "0,1"));
    table.Append(Record(QDate(2026, 12, 20), "2:00:00", "0,2"));
    table.Append(Record(QDate(2027, 1, 15), "5:00:00", "7")); // the period after
}

QJsonObject Json(const QString& dir, const QStringList& arguments, const QDate& today, int* code) {
    const CommandRequest request = ReadCommandLine(arguments);
    QString out;
    *code = RunSummary(request, dir, today, out);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
    if (*code == 0 && (error.error != QJsonParseError::NoError || !document.isObject()))
        qWarning() << "not JSON:" << out << error.errorString();
    return document.object();
}

} // namespace

class TestSummary : public QObject {
    Q_OBJECT
private slots:
    void currentPeriodAsJson() {
        QTemporaryDir dir;
        FillFolder(dir.path());
        int code = -1;
        // 20 December: the period 15.12-14.01 (31 days), six days of it gone.
        const QJsonObject o = Json(dir.path(), {"--summary", "--json"}, QDate(2026, 12, 20), &code);
        QCOMPARE(code, 0);
        QCOMPARE(o["from"].toString(), QString("2026-12-15"));
        QCOMPARE(o["to"].toString(), QString("2027-01-14"));
        QCOMPARE(o["records"].toInteger(), 3);
        QCOMPARE(o["seconds"].toInteger(), 5430 + 3570 + 7200);
        QCOMPARE(o["time"].toString(), QString("4:30:00"));
        QCOMPARE(o["money"].toDouble(), 30.4666666666667);
        QCOMPARE(o["money_text"].toString(), QString("30,4666666666667"));
        QVERIFY(o["connected"].isNull());
        QCOMPARE(o["budget_money"].toDouble(), 500.0);
        QCOMPARE(o["budget_used_percent"].toDouble(), 6.1); // 30,47 of 500
        QCOMPARE(o["forecast_money"].toDouble(), 157.41);   // 30,47 / 6 days * 31 days
        QCOMPARE(o["budget_hours"].toDouble(), 10.0);
        QCOMPARE(o["budget_time_used_percent"].toDouble(), 45.0);
        QCOMPARE(o["forecast_seconds"].toInteger(), 16200 * 31 / 6);
        for (const char* traffic :
             {"rx_bytes", "tx_bytes", "package_left_bytes", "traffic_budget_used"})
            QVERIFY2(o[traffic].isNull(), traffic); // a file that keeps no traffic
    }

    void rangeHasNoBudgetUnlessItIsAPeriod_data() {
        QTest::addColumn<QStringList>("dates");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("budget");
        QTest::newRow("a week, ISO dates") << QStringList{"2026-12-14", "2026-12-20"} << 4 << false;
        QTest::newRow("one day") << QStringList{"16.12.2026", "16.12.2026"} << 1 << false;
        QTest::newRow("a whole billing period")
            << QStringList{"15.12.2026", "14.01.2027"} << 3 << true;
        QTest::newRow("no records") << QStringList{"01.01.2020", "31.01.2020"} << 0 << false;
    }
    void rangeHasNoBudgetUnlessItIsAPeriod() {
        QFETCH(QStringList, dates);
        QFETCH(int, records);
        QFETCH(bool, budget);
        QTemporaryDir dir;
        FillFolder(dir.path());
        int code = -1;
        const QJsonObject o =
            Json(dir.path(), QStringList{"--summary"} + dates + QStringList{"--json"},
                 QDate(2027, 6, 1), &code);
        QCOMPARE(code, 0);
        QCOMPARE(o["records"].toInteger(), records);
        QCOMPARE(o["budget_money"].isNull(), !budget);
        QCOMPARE(o["budget_used_percent"].isNull(), !budget);
        QVERIFY(o["forecast_money"].isDouble()); // a range that is over: what was spent
        if (records == 0) {
            QCOMPARE(o["money"].toDouble(), 0.0);
            QCOMPARE(o["money_text"].toString(), QString("0"));
            QCOMPARE(o["time"].toString(), QString("0:00:00"));
        }
    }

    // Read only: beside the program holding the file with a record in its log, nothing of
    // the folder changes, and what the program committed is counted, the bytes too, with
    // what is left of the tariff's package.
    void readsBesideTheRunningProgram() {
        QTemporaryDir dir;
        FillFolder(dir.path());
        const QString tariffs = dir.filePath("tarif.db");
        RawSql(tariffs, "CREATE TABLE traffic(id INTEGER PRIMARY KEY, Price TEXT, "
                        "Package INTEGER); INSERT INTO traffic VALUES(1, '0,5', 200); "
                        "PRAGMA user_version = 3");
        SessionTable running(dir.path());
        running.Checkpoint(OpenSegment{QDate(2026, 12, 20),
                                       0,
                                       QDate(2026, 12, 20),
                                       1000,
                                       "20",
                                       {},
                                       {},
                                       Traffic{3 << 20, 1 << 20}});
        SessionRecord counted = Record(QDate(2026, 12, 21), "0:00:10", "1");
        counted.traffic = Traffic{100 << 20, 20 << 20};
        running.Append(counted);
        // The program's own fold-back of that record comes soon after it; from then on only
        // the reader could change the file.
        QTRY_COMPARE(running.FoldsRun(), quint64(1));
        const QString ini = dir.filePath("kelvora.ini");
        const QByteArray iniBefore = FileDigest(ini);
        const QByteArray dbBefore = FileDigest(running.FilePath());
        const QByteArray tariffsBefore = FileDigest(tariffs);
        int code = -1;
        const QJsonObject o = Json(dir.path(), {"--summary", "--json"}, QDate(2026, 12, 21), &code);
        QCOMPARE(code, 0);
        QCOMPARE(o["records"].toInteger(), 4);
        // The connection being timed counts, as far as its checkpoint: one second at 20 an hour.
        const QJsonObject connected = o["connected"].toObject();
        QCOMPARE(connected["since"].toString(), QString("2026-12-20T00:00:00"));
        QCOMPARE(connected["seconds"].toInteger(), 1);
        QCOMPARE(connected["money"].toDouble(), 0.01);
        QCOMPARE(o["seconds"].toInteger(), 5430 + 3570 + 7200 + 10 + 1);
        QCOMPARE(o["money_text"].toString(), QString("31,4722222222223"));
        QCOMPARE(o["rx_bytes"].toInteger(), 103 << 20);
        QCOMPARE(o["tx_bytes"].toInteger(), 21 << 20);
        QCOMPARE(o["package_left_bytes"].toInteger(), 76 << 20);
        QCOMPARE(o["traffic_budget_used"].toDouble(), 12.4);
        QString text;
        QCOMPARE(RunSummary(ReadCommandLine({"--summary"}), dir.path(), QDate(2026, 12, 21), text),
                 0);
        QVERIFY2(text.contains("Время: 4:30:11\n"), qPrintable(text));
        QVERIFY2(
            text.contains("Подключение с 20.12.2026 0:00:00: 0:00:01, 0,01\u00a0₽"),
            qPrintable(text));
        QVERIFY2(text.contains("Трафик: 124,0\u00a0МБ (принято 103,0\u00a0МБ, передано "
                               "21,0\u00a0МБ)\nПакет: осталось 76,0\u00a0МБ\nБюджет трафика: "
                               "1\u00a0000,0\u00a0МБ, использовано 12\u00a0%\n"),
                 qPrintable(text));
        QCOMPARE(FileDigest(running.FilePath()), dbBefore);
        QCOMPARE(FileDigest(tariffs), tariffsBefore);
        QCOMPARE(FileDigest(ini), iniBefore);
        running.Append(Record(QDate(2026, 12, 21), "0:00:10", "1")); // the program goes on
    }

    void plainText() {
        QTemporaryDir dir;
        FillFolder(dir.path());
        QString out;
        QCOMPARE(RunSummary(ReadCommandLine({"--summary"}), dir.path(), QDate(2026, 12, 20), out),
                 0);
        QVERIFY2(out.contains("Период: 15.12.2026 – 14.01.2027"), qPrintable(out));
        QVERIFY2(out.contains("Сумма: 30,4666666666667"), qPrintable(out));
        QVERIFY2(out.contains("Бюджет: 500,00\u00a0₽, использовано 6\u00a0%"),
                 qPrintable(out));
    }

    // What cannot be summed is said, with exit code 1, and nothing is written anywhere.
    void refusals_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("said");
        QTest::newRow("no data.db") << "none"
                                    << "data.db";
        QTest::newRow("not a database") << "text"
                                        << "data.db";
        QTest::newRow("another program's database") << "foreign"
                                                    << "session";
        QTest::newRow("a newer format") << "newer"
                                        << "более новой";
        QTest::newRow("a charge written by hand") << "odd"
                                                  << "kelvora --report";
    }
    void refusals() {
        QFETCH(QString, setup);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString path = dir.filePath("data.db");
        if (setup == "text")
            WriteFile(path, "not a database at all, but long enough to be looked at");
        else if (setup == "foreign")
            RawSql(path, "CREATE TABLE contacts(name TEXT)");
        else if (setup == "newer" || setup == "odd") {
            FillFolder(dir.path());
            RawSql(path, setup == "newer" ? "PRAGMA user_version = 9"
                                          : "UPDATE session SET Summ = '12.5' WHERE Summ = '0,1'");
        }
        // SQLite's reader of a write-ahead-logged file leaves the log's two side files (empty)
        // when no program holds them; the files themselves stay as they were.
        const auto files = [&dir] {
            QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            names.removeAll("data.db-wal");
            names.removeAll("data.db-shm");
            return names;
        };
        const QStringList before = files();
        const QByteArray digest = FileDigest(path);
        QString out;
        QCOMPARE(RunSummary(ReadCommandLine({"--summary", "--json"}), dir.path(),
                            QDate(2026, 12, 20), out),
                 1);
        QVERIFY2(out.contains(said), qPrintable(out));
        QCOMPARE(files(), before);
        QCOMPARE(FileDigest(path), digest);
    }

    // A file of version 2 (the program not started since the upgrade): added up from the
    // records, and left as it was.
    void anOlderFileIsAddedUpUnchanged() {
        QTemporaryDir dir;
        FillFolder(dir.path());
        const QString path = dir.filePath("data.db");
        RawSql(path, "DROP TRIGGER session_day_added; DROP TRIGGER session_day_removed; "
                     "DROP TRIGGER session_day_changed; DROP TABLE day_total; "
                     "PRAGMA user_version = 2");
        const QByteArray before = FileDigest(path);
        int code = -1;
        const QJsonObject o = Json(dir.path(), {"--summary", "--json"}, QDate(2026, 12, 20), &code);
        QCOMPARE(code, 0);
        QCOMPARE(o["records"].toInteger(), 3);
        QCOMPARE(o["money_text"].toString(), QString("30,4666666666667"));
        QCOMPARE(FileDigest(path), before);
    }
};

QTEST_GUILESS_MAIN(TestSummary)
#include "tst_summary.moc"
