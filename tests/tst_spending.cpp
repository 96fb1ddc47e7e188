#include "TestFiles.h"
#include "settings/ProgramSettings.h"
#include "spend/BarChart.h"
#include "spend/BudgetAlerts.h"
#include "spend/BudgetDialog.h"
#include "spend/LiveSpend.h"
#include "spend/StatisticsWindow.h"
#include "storage/SessionTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

// The live figures: the open connection counted in the tip and the alerts, the statistics
// window on a large data.db, and the budget dialog's checks.
namespace {
const QDate Today(2026, 12, 20);
const Budget FiveHundred{15, 500, 0, {80, 100}};
} // namespace

class TestSpending : public QObject {
    Q_OBJECT
private slots:
    void openConnectionSoFar_data() {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<int>("startMsecs");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("nowMsecs");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<double>("money");
        QTest::newRow("20 minutes at 60")
            << Today << 3'600'000 << "60" << 4'800'000 << 1200LL << 20.0;
        QTest::newRow("from yesterday 23:00")
            << Today.addDays(-1) << 82'800'000 << "30" << 3'600'000 << 7200LL << 60.0;
        QTest::newRow("a rate with a comma") << Today << 0 << "1,5" << 7'200'000 << 7200LL << 3.0;
    }
    void openConnectionSoFar() {
        QFETCH(QDate, start);
        QFETCH(int, startMsecs);
        QFETCH(QString, rate);
        QFETCH(int, nowMsecs);
        QFETCH(qint64, seconds);
        QFETCH(double, money);
        const auto open = OpenSoFar(start, startMsecs, rate, Today, nowMsecs);
        QVERIFY(open);
        QCOMPARE(open->seconds, seconds);
        QCOMPARE(open->money, money);
    }
    void noChargeWithoutANumberOrBackwards() {
        QVERIFY(!OpenSoFar(Today, 0, "x", Today, 1000));
        QVERIFY(!OpenSoFar(Today, 5000, "20", Today, 1000));
        QVERIFY(!OpenSoFar(QDate(), 0, "20", Today, 1000));
    }

    // 390 stored, then 20 minutes at 60 an hour inside a connection not yet stored: the
    // 80 % threshold is passed at the poll that sees it, before any record.
    void aThresholdPassedInsideAConnection() {
        QTemporaryDir dir;
        ProgramSettings settings(dir.path());
        settings.Load();
        BudgetAlerts alerts(settings);
        SpendTotal stored;
        stored.money = 390;
        const BillingPeriod period = BillingPeriod::Containing(Today, 15);
        const auto at = [&](int minutes) {
            const auto open =
                OpenSoFar(Today, 3'600'000, "60", Today, 3'600'000 + minutes * 60'000);
            const SpendFigures f =
                SpendFigures::Of(WithOpen(stored, open), period, FiveHundred, Today);
            return alerts.Passed(period, double(f.total.money), f.total.seconds, FiveHundred);
        };
        QVERIFY(at(9).empty());     // 399
        const auto passed = at(11); // 401
        QCOMPARE(passed.size(), 1u);
        QCOMPARE(passed[0].percent, 80);
        QVERIFY(at(12).empty()); // told once
    }

    void trayTip() {
        SpendTotal total;
        total.money = 312.5;
        total.seconds = 3600;
        const BillingPeriod period = BillingPeriod::Containing(Today, 15); // 31 days, 6 gone
        const SpendFigures f = SpendFigures::Of(total, period, {15, 500, 0, {80}}, Today);
        const QString tip = TrayTip(OpenCharge{750, 2.5}, f);
        const QStringList lines = tip.split('\n');
        QCOMPARE(lines.value(0), QString("Учет работы в Интернет"));
        QCOMPARE(lines.value(1), QString("Подключение: 0:12:30, 2,50\u00a0₽"));
        QCOMPARE(lines.value(2), QString("За период: 312,50\u00a0₽ из 500,00\u00a0₽ "
                                         "(62\u00a0%), прогноз 1\u00a0615\u00a0₽"));
        const QString idle =
            TrayTip(std::nullopt, SpendFigures::Of(total, period, Budget{}, Today));
        QVERIFY(!idle.contains("Подключение"));
        QVERIFY(idle.contains("За период: 312,50\u00a0₽, прогноз"));
        QCOMPARE(idle.count('\n'), 2); // no traffic counted: no line of it
        // The stored bytes and the open segment's, the traffic budget and the package left.
        total.traffic = {1000 << 20, 200 << 20};
        total.trafficCounted = true;
        const Budget traffic{15, 0, 0, {80}, 2048};
        const QString counted =
            TrayTip(std::nullopt,
                    SpendFigures::Of(WithOpen(total, std::nullopt, Traffic{34 << 20, 1 << 19}),
                                     period, traffic, Today, TrafficTerms{"0", 1500}));
        QCOMPARE(counted.split('\n').value(3),
                 QString("Трафик периода: 1\u00a0234,5\u00a0МБ из 2\u00a0048,0\u00a0МБ "
                         "(60\u00a0%), пакет: осталось 265,5\u00a0МБ"));
        // Counted from this segment on: nothing stored with bytes yet; no traffic budget.
        total.trafficCounted = false;
        total.traffic = {};
        QVERIFY(TrayTip(std::nullopt, SpendFigures::Of(WithOpen(total, std::nullopt, Traffic{}),
                                                       period, Budget{15, 0, 0, {80}}, Today))
                    .endsWith("\nТрафик периода: 0,00\u00a0МБ"));
    }

    // A data.db of many records: the window reads a year of day rows from the kept per-day
    // totals, never the records themselves.
    void statisticsReadDayTotalsOnly() {
        QTemporaryDir dir;
        { SessionTable table(dir.path()); }
        RawSql(dir.filePath("data.db"),
               "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) "
               "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
               "SELECT date('2026-12-20', '-' || (i % 3650) || ' days'), '9:00:00', '9:30:00', "
               "'0:30:00', '20', '10' FROM n");
        SessionTable table(dir.path());
        qint64 dayRows = 0;
        StatisticsWindow window(
            [&](const QDate& from, const QDate& to) {
                auto days = table.DayTotalsIn(from, to);
                dayRows += qint64(days.size());
                return days;
            },
            [] {
                return std::pair<qint64, double>{600, 5.0};
            });
        window.ShowPeriod(FiveHundred, Today);
        window.show();
        QCoreApplication::processEvents();
        QVERIFY(!table.DaysByScan()); // the kept totals, not a walk over the records
        // The twelve periods shown and this one: a day row each at most.
        QVERIFY2(dayRows > 0 && dayRows <= 13 * 31, qPrintable(QString::number(dayRows)));
        QCOMPARE(window.Period().first, QDate(2026, 12, 15));
        // 6 days of about 55 records each, and today's open connection.
        QVERIFY2(window.TotalsText().contains("Записей</td><td>3"),
                 qPrintable(window.TotalsText()));
        QVERIFY(!window.TotalsText().contains("Трафик"));
        int shown = 0; // no traffic counted: its charts stay away
        for (const BarChart* chart : window.findChildren<BarChart*>())
            shown += chart->isVisible();
        QCOMPARE(shown, 3);
        const QDate first = window.Period().first;
        window.StepBack();
        QCOMPARE(window.Period().first, first.addMonths(-1));
        window.StepForward();
        window.StepForward(); // no further than today's period
        QCOMPARE(window.Period().first, first);
    }

    void budgetDialogChecksAndSays_data() {
        QTest::addColumn<QString>("money");
        QTest::addColumn<QString>("traffic");
        QTest::addColumn<QString>("alerts");
        QTest::addColumn<QString>("said");
        QTest::newRow("money in words") << "много"
                                        << "0"
                                        << "80"
                                        << "Бюджет на период";
        QTest::newRow("negative money") << "-1"
                                        << "0"
                                        << "80"
                                        << "Бюджет на период";
        QTest::newRow("traffic in words") << "500"
                                          << "много"
                                          << "80"
                                          << "Трафик на период";
        QTest::newRow("no thresholds") << "500"
                                       << "0"
                                       << ""
                                       << "Предупреждать при";
        QTest::newRow("threshold of 0") << "500"
                                        << "0"
                                        << "0, 80"
                                        << "Предупреждать при";
        QTest::newRow("a failed write") << "500"
                                        << "0"
                                        << "80"
                                        << "не удалось";
    }
    void budgetDialogChecksAndSays() {
        QFETCH(QString, money);
        QFETCH(QString, traffic);
        QFETCH(QString, alerts);
        QFETCH(QString, said);
        int saves = 0;
        BudgetDialog dialog([&](const Budget&) -> std::optional<QString> {
            ++saves;
            return QString("Файл не удалось записать");
        });
        dialog.FillFields(FiveHundred);
        dialog.money->setText(money);
        dialog.traffic->setText(traffic);
        dialog.alerts->setText(alerts);
        dialog.show();
        dialog.accept();
        QVERIFY(dialog.isVisible()); // stays, with what was typed
        QVERIFY2(dialog.Problem().contains(said, Qt::CaseInsensitive),
                 qPrintable(dialog.Problem()));
        QCOMPARE(saves, said == "не удалось" ? 1 : 0);
    }

    void budgetDialogSaves() {
        std::optional<Budget> saved;
        BudgetDialog dialog([&](const Budget& b) -> std::optional<QString> {
            saved = b;
            return std::nullopt;
        });
        dialog.FillFields(Budget{});
        QCOMPARE(dialog.alerts->text(), QString("80, 100"));
        dialog.startDay->setValue(28);
        dialog.money->setText("312,50");
        dialog.hours->setText("40");
        dialog.traffic->setText("2 048,5");
        dialog.alerts->setText("100 90");
        dialog.show();
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(saved, (Budget{28, 312.5, 40, {90, 100}, 2048.5}));
    }

    // In a dark theme the charts keep their white ground and draw every text dark enough to
    // read there; the scale's column holds a five-digit amount whole, and screen readers get
    // a name and a description of each chart.
    void statisticsReadInADarkTheme() {
        const QPalette before = QApplication::palette();
        QPalette dark = before;
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        const std::vector<DayTotal> days{
            {QDate(2026, 12, 16), 3, 7200, 10445, 0, Traffic{300 << 20, 212 << 20}},
            {QDate(2026, 11, 20), 1, 3600, 9000, 0}};
        StatisticsWindow window([&](const QDate&, const QDate&) { return days; }, nullptr);
        window.SetOpenTraffic([] { return Traffic{1 << 20, 1 << 20}; }); // today's bar
        window.ShowPeriod(Budget{15, 12000, 40, {80, 100}, 3100}, Today);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<BarChart*> charts = window.findChildren<BarChart*>();
        QCOMPARE(charts.size(), 5); // money, time, periods, traffic per day and per period
        for (BarChart* chart : charts) {
            const QImage image = chart->grab().toImage();
            const int line = chart->fontMetrics().height();
            int darkInTitle = 0, darkAtEdge = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const bool darkPixel = qGray(image.pixel(x, y)) < 160;
                    darkInTitle += darkPixel && y < line + 2;
                    darkAtEdge += darkPixel && x < 2;
                }
            QVERIFY2(darkInTitle > 20, qPrintable(chart->accessibleName()));
            QCOMPARE(darkAtEdge, 0); // no scale text cut at the left edge
            QVERIFY(!chart->accessibleName().isEmpty());
            QVERIFY2(chart->accessibleDescription().contains("наибольшее значение"),
                     qPrintable(chart->accessibleDescription()));
        }
        QVERIFY(charts[0]->accessibleDescription().contains("бюджет в день"));
        QVERIFY2(window.TotalsText().contains("Бюджет времени</td><td>40\u00a0ч (5\u00a0%)"),
                 qPrintable(window.TotalsText()));
        QVERIFY2(window.TotalsText().contains("Трафик</td><td>514,0\u00a0МБ</td><td>Бюджет "
                                              "трафика</td><td>3\u00a0100,0\u00a0МБ (16\u00a0%)"),
                 qPrintable(window.TotalsText()));
        QCOMPARE(charts[3]->Values()[1], 512.0);
        QCOMPARE(charts[3]->Values()[5], 2.0);
        QVERIFY(charts[3]->accessibleDescription().contains("бюджет в день 100,0\u00a0МБ"));
        QCOMPARE(charts[4]->Values().back(), 514.0);
        QApplication::setPalette(before);
    }
};

QTEST_MAIN(TestSpending)
#include "tst_spending.moc"
