#include "TestFiles.h"
#include "storage/SessionModel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
SessionRecord Record(QDate date, const QString& start) {
    return {date, start, "10:00:00", "1:00:00", "20", "20"};
}
const QDate Dec1(2026, 12, 1), Dec7(2026, 12, 7);

// Fills data.db behind the program's back, fast, with `rows` records numbered from 1.
void Fill(const QString& dir, int rows) {
    { SessionTable create(dir); }
    RawSql(QDir(dir).filePath("data.db"),
           QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                          "WHERE i < %1) INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, "
                          "Summ) SELECT '2026-12-07', i, '1:00:00', '1:00:00', '20', '20' FROM n")
               .arg(rows)
               .toUtf8()
               .constData());
}
} // namespace

class TestSessionModel : public QObject {
    Q_OBJECT
private slots:
    void keepsTheModelContractThroughChanges() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        SessionModel model(table);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.Append(Record(Dec1, "a"));
        table.Append(Record(Dec7, "b"));
        table.Append(Record(Dec7, "c"));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("c"));
        QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("01.12.2026"));
        table.MoveTo(2); // "b"
        table.DeleteCurrent();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("a"));
        table.SetDateFilter(Dec7, Dec7);
        QCOMPARE(model.rowCount(), 1);
        table.Append(Record(Dec1, "outside the filter"));
        QCOMPARE(model.rowCount(), 1);
        table.Append(Record(Dec7, "inside"));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("inside"));
        table.ClearDateFilter();
        QCOMPARE(model.rowCount(), 4);
    }

    void titlesAndReadOnlyCells_data() {
        QTest::addColumn<int>("traffic"); // 0: never shown, 1: shown, 2: shown, then taken away
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("counted");   // the record stored with its traffic
        QTest::addColumn<QStringList>("uncounted"); // the one stored before it was counted
        const QStringList six{"Дата входа",        "Время входа", "Время выхода",
                              "Продолжительность", "Тариф",       "Сумма"};
        const QStringList cells{"07.12.2026", "9:15:00", "10:45:30",
                                "1:30:30",    "20",      "30,1666666666667"};
        QTest::newRow("the six columns") << 0 << six << cells << cells;
        QTest::newRow("with the traffic")
            << 1 << six + QStringList{"Принято", "Передано"}
            << cells + QStringList{"1048576 B", "0 B"} << cells + QStringList{"", ""};
        QTest::newRow("the traffic taken away again") << 2 << six << cells << cells;
    }
    void titlesAndReadOnlyCells() {
        QFETCH(int, traffic);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, counted);
        QFETCH(QStringList, uncounted);
        QTemporaryDir dir;
        SessionTable table(dir.path());
        SessionRecord record{Dec7, "9:15:00", "10:45:30", "1:30:30", "20", "30,1666666666667"};
        table.Append(record);
        record.traffic = Traffic{1 << 20, 0};
        table.Append(record);
        SessionModel model(table);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (traffic > 0)
            model.ShowTraffic([](quint64 bytes) { return QString::number(bytes) + " B"; });
        if (traffic > 1)
            model.ShowTraffic({});
        QCOMPARE(model.columnCount(), titles.size());
        QStringList shownTitles;
        for (int c = 0; c < model.columnCount() + 2; ++c)
            if (const QVariant t = model.headerData(c, Qt::Horizontal, Qt::DisplayRole);
                t.isValid())
                shownTitles << t.toString();
        QCOMPARE(shownTitles, titles);
        for (const auto& [row, expected] : {std::pair{0, counted}, std::pair{1, uncounted}}) {
            QStringList cells;
            for (int c = 0; c < model.columnCount(); ++c) {
                cells << model.index(row, c).data().toString();
                QVERIFY(!(model.flags(model.index(row, c)) & Qt::ItemIsEditable));
                QVERIFY(!model.setData(model.index(row, c), "x"));
            }
            QCOMPARE(cells, expected);
        }
        // The amounts right-aligned, the record's own fields as the view has them.
        const int last = model.columnCount() - 1;
        QCOMPARE(model.index(0, last).data(Qt::TextAlignmentRole).isValid(), last > 5);
        model.SetCurrentRow(0);
        QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).toString().isEmpty());
    }

    void readsLazilyInBoundedMemory() {
        QTemporaryDir dir;
        Fill(dir.path(), 100'000);
        SessionTable table(dir.path());
        SessionModel model(table);
        QCOMPARE(model.rowCount(), 100'000);
        QCOMPARE(model.CachedPages(), 0); // nothing read before it is shown
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("100000"));
        QCOMPARE(model.index(99'999, 1).data().toString(), QStringLiteral("1"));
        for (int row = 0; row < 100'000; row += 997)
            QCOMPARE(model.index(row, 1).data().toString(), QString::number(100'000 - row));
        QVERIFY(model.CachedPages() <= SessionModel::KeptPages);
        QCOMPARE(model.IdAt(5), 99'995);
        QCOMPARE(model.RowOf(99'995), 5);
    }

    // Shown in steps: a view sees the first rows, more at each fetch, and any row it is
    // moved to; changes of the table keep what it sees consistent with the table.
    void showsRowsInSteps() {
        QTemporaryDir dir;
        Fill(dir.path(), 5000); // ids 1..5000, row r holds id 5000 - r
        SessionTable table(dir.path());
        SessionModel model(table);
        model.SetShownInSteps(true);
        const int step = SessionModel::StepRows;
        QCOMPARE(model.rowCount(), step);
        QVERIFY(model.canFetchMore({}));
        // The tester fetches too, as a view would.
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const int seen = model.rowCount();
        QVERIFY(seen >= step && seen < 4000);
        struct Case {
            const char* what;
            std::function<void()> act;
            int shown, total;
        };
        const Case cases[] = {
            {"fetched", [&] { model.fetchMore({}); }, seen + step, 5000},
            {"moved to a row further down", [&] { model.ShowThrough(2000); }, 2001, 5000},
            {"moved to a row already seen", [&] { model.ShowThrough(3); }, 2001, 5000},
            {"a record stored", [&] { table.Append(Record(Dec7, "new")); }, 2002, 5001},
            {"a row below the seen ones deleted",
             [&] {
                 table.MoveTo(5); // row 4996 of 5001
                 table.DeleteCurrent();
             },
             2002, 5000},
            {"a seen row deleted",
             [&] {
                 table.MoveTo(4999); // row 2
                 table.DeleteCurrent();
             },
             2001, 4999},
            {"filtered", [&] { table.SetDateFilter(Dec7, Dec7); }, step, 4999},
            {"moved past the end", [&] { model.ShowThrough(50'000); }, 4999, 4999},
        };
        for (const Case& c : cases) {
            c.act();
            QVERIFY2(model.rowCount() == c.shown, c.what);
            QVERIFY2(model.TotalRows() == c.total, c.what);
            QVERIFY2(model.canFetchMore({}) == (c.shown < c.total), c.what);
        }
        // What is seen is the table's rows in their order, whatever came between.
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("new"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("5000"));
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("4998"));
        QCOMPARE(model.IdAt(4998), 1);
        model.SetShownInSteps(false);
        QCOMPARE(model.rowCount(), 4999);
        QVERIFY(!model.canFetchMore({}));
    }
};

QTEST_GUILESS_MAIN(TestSessionModel)
#include "tst_sessionmodel.moc"
