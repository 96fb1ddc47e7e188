#include "GuiFakes.h"
#include "TestFiles.h"
#include "report/PdfLoader.h"
#include "report/PreviewWindow.h"
#include "report/ReportDialog.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"
#include "storage/SessionModel.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QToolBar>
#include <QtTest>

namespace {
const QDate Dec1(2026, 12, 1), Dec5(2026, 12, 5), Dec7(2026, 12, 7);

QString PdfText(const QString& path) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        return {};
    QProcess process;
    process.start(tool, {"-layout", path, "-"});
    process.waitForFinished(30'000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The kernel's POSIX locks this process holds, as /proc/locks lists them.
int LocksHeld() {
    QFile locks("/proc/locks");
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    int held = 0;
    for (const QByteArray& line : locks.readAll().split('\n'))
        if (line.contains("POSIX") && !line.contains("->") &&
            line.simplified().split(' ').value(4) == pid)
            ++held;
    return held;
}

// A data folder with a few records across a week, and the report dialog over it.
struct Rig {
    QTemporaryDir dir;
    SessionTable table{dir.path()};
    FakeDialogs dialogs;
    ReportForm form;
    ReportDialog dialog{form, dialogs};

    Rig() {
        table.Append({Dec1, "9:00:00", "9:59:30", "0:59:30", "20", "19,8333333333333"});
        table.Append({Dec5, "10:00:00", "10:00:45", "0:00:45", "20", "0,25", Traffic{3 << 19, 1}});
        table.Append({Dec7, "23:30:00", "0:30:00", "1:00:00", "0,1", "0,1", Traffic{100, 200}});
        table.Append({Dec7, "12:00:00", "12:00:00", "0:00:00", "0,2", "0,2"});
        dialog.SetTable(&table);
    }
    // The grid's traffic columns turned on, as kelvora.ini keeps them.
    void ShowTraffic() {
        QFile ini(dir.filePath("kelvora.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write("[Grid]\nTraffic=true\n") > 0);
    }
    void Range(QDate from, QDate to) {
        dialog.FromPicker()->setDate(from);
        dialog.ToPicker()->setDate(to);
    }
};
} // namespace

Q_DECLARE_METATYPE(std::optional<Traffic>)

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void datesStartTodayAndKeepTheLastChoice() {
        Rig rig;
        QCOMPARE(rig.dialog.FromPicker()->date(), QDate::currentDate());
        QCOMPARE(rig.dialog.ToPicker()->date(), QDate::currentDate());
        QCOMPARE(rig.dialog.FromPicker()->displayFormat(), QStringLiteral("dd.MM.yyyy"));
        QVERIFY(rig.dialog.FromPicker()->calendarPopup());
        rig.Range(Dec1, Dec5);
        rig.dialog.show();
        rig.dialog.close();
        rig.dialog.show();
        QCOMPARE(rig.dialog.FromPicker()->date(), Dec1);
        QCOMPARE(rig.dialog.ToPicker()->date(), Dec5);
    }

    void theGridShowsTheRangeWhileTheDialogIsOpen() {
        Rig rig;
        SessionModel grid(rig.table);
        rig.Range(Dec7, Dec7);
        rig.dialog.show();
        int rowsDuringPreview = -1;
        qint64 pages = 0;
        rig.dialog.SetPreviewRunner([&](PreviewWindow& preview) {
            rowsDuringPreview = grid.rowCount();
            pages = preview.PageCount();
        });
        rig.dialog.ShowReport();
        QCOMPARE(rowsDuringPreview, 2);
        QCOMPARE(pages, 1);
        QCOMPARE(grid.rowCount(), 2); // still narrowed after the preview
        QCOMPARE(rig.form.summary.money, QStringLiteral("0,3"));
        QCOMPARE(rig.form.summary.time, QStringLiteral("Общ. время работы - 1:0:0"));
        rig.dialog.close();
        QCOMPARE(grid.rowCount(), 4);
        QVERIFY(!rig.table.Filtered());
    }

    void totalsOfARange_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("money");
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("traffic"); // the grid shows it
        QTest::addColumn<std::optional<Traffic>>("bytes");
        QTest::newRow("whole week")
            << Dec1 << Dec7 << "20,3833333333333"
            << "Общ. время работы - 2:0:15" << false << std::optional<Traffic>();
        QTest::newRow("ends inclusive")
            << Dec1 << Dec5 << "20,0833333333333"
            << "Общ. время работы - 1:0:15" << false << std::optional<Traffic>();
        QTest::newRow("reversed: empty")
            << Dec7 << Dec1 << "0"
            << "Общ. время работы - 0:0:0" << false << std::optional<Traffic>();
        QTest::newRow("whole week with its traffic")
            << Dec1 << Dec7 << "20,3833333333333"
            << "Общ. время работы - 2:0:15" << true << std::optional(Traffic{1572964, 201});
        QTest::newRow("a day stored before the traffic was counted")
            << Dec1 << Dec1 << "19,8333333333333"
            << "Общ. время работы - 0:59:30" << true << std::optional<Traffic>();
    }
    void totalsOfARange() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, money);
        QFETCH(QString, time);
        QFETCH(bool, traffic);
        QFETCH(std::optional<Traffic>, bytes);
        Rig rig;
        if (traffic)
            rig.ShowTraffic();
        rig.Range(from, to);
        rig.dialog.SetPreviewRunner([](PreviewWindow&) {});
        rig.dialog.ShowReport();
        QCOMPARE(rig.form.summary.money, money);
        QCOMPARE(rig.form.summary.time, time);
        QCOMPARE(rig.form.summary.showTraffic, traffic);
        QCOMPARE(rig.form.summary.traffic, bytes);
    }

    void aBadTextStopsTheReport() {
        Rig rig;
        rig.table.Append({Dec7, "a", "b", "1:00:00", "1", "много"});
        rig.form.summary = {"earlier", "earlier time"};
        rig.Range(Dec1, Dec7);
        bool previewed = false;
        rig.dialog.SetPreviewRunner([&](PreviewWindow&) { previewed = true; });
        rig.dialog.show();
        rig.dialog.ShowReport();
        QVERIFY(!previewed);
        QCOMPARE(rig.dialogs.errors, QStringList{"'много' is not a valid floating point value"});
        QCOMPARE(rig.form.summary.money, QStringLiteral("earlier"));
        QVERIFY(rig.table.Filtered()); // until the dialog closes
        rig.dialog.close();
        QVERIFY(!rig.table.Filtered());
    }

    // Read page by page, each page holds its own rows, newest first: none repeated from the
    // page before, none dropped at the range's end, whichever page the reading starts at.
    void everyPageHoldsItsOwnRows() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        const int records = 150;
        for (int i = 0; i < records; ++i)
            table.Append({Dec1, QString::number(i), "", "0:00:01", "20", "1"});
        ReportDocument report(table, table.CurrentRange(), {});
        QVERIFY(report.PageCount() >= 3);
        for (qint64 start = 0; start < report.PageCount(); ++start) {
            qint64 expectedPage = start;
            int next = records - 1 - int(ReportLayout::PageAt(records, start).firstRow);
            report.ForEachPage(start, report.PageCount() - 1,
                               [&](qint64 page, const std::vector<SessionRecord>& rows) {
                                   QCOMPARE(page, expectedPage++);
                                   QCOMPARE(qint64(rows.size()),
                                            ReportLayout::PageAt(records, page).rows);
                                   for (const SessionRecord& r : rows)
                                       QCOMPARE(r.startTime, QString::number(next--));
                               });
            QCOMPARE(next, -1); // down to the oldest row, the range's last
        }
    }

    void previewPagesAndZoom() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        for (int i = 0; i < 100; ++i)
            table.Append({Dec7, QString::number(i), "b", "0:01:00", "1", "1"});
        ReportDocument report(table, table.CurrentRange(), {"100", "Общ. время работы - 1:40:0"});
        FakeDialogs dialogs;
        PreviewWindow preview(&report, dialogs);
        preview.resize(800, 600);
        preview.show();
        QCOMPARE(preview.PageCount(), 3); // 46 + 47 + 7 and the summary
        QCOMPARE(preview.CurrentPage(), 0);
        preview.findChild<QAction*>("LastPage")->trigger();
        QCOMPARE(preview.CurrentPage(), 2);
        preview.findChild<QAction*>("PriorPage")->trigger();
        QCOMPARE(preview.CurrentPage(), 1);
        QVERIFY(!preview.findChild<QAction*>("NextPage")->isEnabled() == false);
        preview.findChild<QAction*>("Zoom100")->trigger();
        const double actual = preview.Scale();
        preview.findChild<QAction*>("ZoomFit")->trigger();
        QVERIFY(preview.Scale() < actual);
        preview.findChild<QAction*>("ZoomWidth")->trigger();
        QCOMPARE(preview.CurrentZoom(), PreviewWindow::Zoom::Width);
        QStringList order;
        for (QAction* a : preview.findChild<QToolBar*>("PreviewToolBar")->actions())
            if (!a->objectName().isEmpty())
                order << a->objectName();
        QCOMPARE(order, (QStringList{"ZoomFit", "Zoom100", "ZoomWidth", "FirstPage", "PriorPage",
                                     "NextPage", "LastPage", "PrinterSetup", "Print", "Save",
                                     "Open", "Close"}));
        QCOMPARE(preview.findChild<QAction*>("Close")->text(), QStringLiteral("&Close"));
        // The page count stays in sight, however many pages, in a window narrower than its
        // first size (fonts and styles differ in width from one desktop to the next).
        preview.resize(640, 720);
        auto* pageLabel = preview.findChild<QToolBar*>("PreviewToolBar")->findChild<QLabel*>();
        pageLabel->setText(QStringLiteral("  Страница 2341 из 2341"));
        QTRY_VERIFY(pageLabel->isVisible());
        preview.grab(); // paints the page on screen
    }

    void savedPdfReadsBackAndOpensInThePreview() {
        Rig rig;
        const SessionRange range = rig.table.CurrentRange();
        ReportDocument report(rig.table, range, {"20,3833333333333", "Общ. время работы - 2:0:15"});
        const QString path = rig.dir.filePath("report.pdf");
        ReportExport::WritePdf(report, path);
        const QString text = PdfText(path);
        if (text.isEmpty())
            QSKIP("pdftotext is not installed");
        for (const char* expected :
             {"Дата входа", "Время входа", "Время выхода", "Продолжительность", "Тариф", "Сумма",
              "07.12.2026", "23:30:00", "0:30:00", "19,8333333333333", "Итого -",
              "20,3833333333333", "Общ. время работы - 2:0:15"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        // Newest first, in the table's order.
        QVERIFY(text.indexOf("12:00:00") < text.indexOf("9:00:00"));

        FakeDialogs dialogs;
        PreviewWindow preview(&report, dialogs);
        preview.OpenSavedReport(path);
        QVERIFY(dialogs.errors.isEmpty());
        QCOMPARE(preview.PageCount(), 1);
        preview.grab();
        preview.OpenSavedReport(rig.dir.filePath("missing.pdf"));
        QCOMPARE(dialogs.errors.size(), 1);
    }

    void captionsOnTheFirstPageOnly() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        for (int i = 0; i < 60; ++i)
            table.Append({Dec7, QString("%1:00:00").arg(i % 24), "b", "0:01:00", "1", "1"});
        ReportDocument report(table, table.CurrentRange(), {"60", "Общ. время работы - 1:0:0"});
        const QString path = dir.filePath("two-pages.pdf");
        ReportExport::WritePdf(report, path);
        // What the report measured of its font serves only the same size on the same kind of
        // sheet: at twice the resolution the same point size is twice as many pixels.
        auto painted = [](ReportDocument& document, int dpi) {
            QImage sheet(210 * dpi / 96, 297 * dpi / 96, QImage::Format_RGB32);
            sheet.setDotsPerMeterX(qRound(dpi / 0.0254));
            sheet.setDotsPerMeterY(qRound(dpi / 0.0254));
            sheet.fill(Qt::white);
            QPainter painter(&sheet);
            document.Paint(painter, 0, sheet.rect());
            return sheet;
        };
        for (int dpi : {96, 192, 96}) {
            ReportDocument fresh(table, table.CurrentRange(), report.Summary());
            QCOMPARE(painted(report, dpi), painted(fresh, dpi));
        }
        const QString text = PdfText(path);
        if (text.isEmpty())
            QSKIP("pdftotext is not installed");
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[0].contains("Продолжительность"));
        QVERIFY(!pages[1].contains("Продолжительность"));
        QVERIFY(!pages[0].contains("Итого"));
        QVERIFY(pages[1].contains("Итого"));
        QCOMPARE(pages[0].count("07.12.2026"), 46);
        QCOMPARE(pages[1].count("07.12.2026"), 14);
    }

    // A text wider than its field stops at the field's edge, however often it is painted.
    void aTextWiderThanItsFieldIsCut() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        table.Append({Dec7, QString(30, '1'), "b", "0:01:00", "1", "1"});
        ReportDocument report(table, table.CurrentRange(), {"1", "Общ. время работы - 0:1:0"});
        QImage sheet(420, 594, QImage::Format_RGB32); // 0.2 pixels to a tenth of a millimetre
        for (int time = 0; time < 2; ++time) {
            sheet.fill(Qt::white);
            QPainter painter(&sheet);
            report.Paint(painter, 0, sheet.rect());
            painter.end();
            // The start time's field is 10 + 25.9 to 10 + 44.7 mm from the left, the end
            // time's begins at 10 + 51.6 mm; the first line's band is 16.1 to 21.9 mm down.
            auto inked = [&](int from, int to) {
                int dots = 0;
                for (int x = from; x < to; ++x)
                    for (int y = 33; y < 43; ++y)
                        dots += sheet.pixel(x, y) != qRgb(255, 255, 255);
                return dots;
            };
            QVERIFY(inked(73, 109) > 0);
            QCOMPARE(inked(111, 122), 0);
        }
    }

    void savingFromThePreview_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("traffic");
        QTest::newRow("pdf") << "out.pdf"
                             << "PDF (*.pdf)" << false;
        QTest::newRow("csv") << "out.csv"
                             << "CSV (*.csv)" << false;
        QTest::newRow("csv chosen, no suffix") << "out"
                                               << "CSV (*.csv)" << false;
        QTest::newRow("pdf with the traffic") << "out.pdf"
                                              << "PDF (*.pdf)" << true;
        QTest::newRow("csv with the traffic") << "out.csv"
                                              << "CSV (*.csv)" << true;
    }
    void savingFromThePreview() {
        QFETCH(QString, file);
        QFETCH(QString, filter);
        QFETCH(bool, traffic);
        Rig rig;
        ReportDocument report(
            rig.table, rig.table.CurrentRange(),
            {"20,3833333333333", "Общ. время работы - 2:0:15", traffic, Traffic{1572964, 201}});
        PreviewWindow preview(&report, rig.dialogs);
        rig.dialogs.saveAnswer = rig.dir.filePath(file);
        rig.dialogs.saveFilter = filter;
        preview.SaveReport();
        QVERIFY(rig.dialogs.errors.isEmpty());
        const bool csv = filter.startsWith("CSV");
        QFile saved(rig.dir.filePath(file.contains('.') ? file : file + ".csv"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        if (csv) {
            const QStringList lines = QString::fromUtf8(bytes).split("\r\n", Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 6);
            // The traffic in bytes at the end, only while the grid shows it.
            const auto more = [traffic](const char* fields) {
                return traffic ? QString::fromUtf8(fields) : QString();
            };
            QCOMPARE(lines[0], QStringLiteral("Дата входа;Время входа;Время выхода;"
                                              "Продолжительность;Тариф;Сумма") +
                                   more(";Принято, байт;Передано, байт"));
            QCOMPARE(lines[1],
                     QStringLiteral("07.12.2026;12:00:00;12:00:00;0:00:00;0,2;0,2") + more(";;"));
            QCOMPARE(lines[2], QStringLiteral("07.12.2026;23:30:00;0:30:00;1:00:00;0,1;0,1") +
                                   more(";100;200"));
            QCOMPARE(lines[3], QStringLiteral("05.12.2026;10:00:00;10:00:45;0:00:45;20;0,25") +
                                   more(";1572864;1"));
            QCOMPARE(lines[5],
                     QStringLiteral("Итого;;;2:0:15;;20,3833333333333") + more(";1572964;201"));
        } else {
            QVERIFY(bytes.startsWith("%PDF"));
            const QString text = PdfText(saved.fileName());
            if (text.isEmpty())
                QSKIP("pdftotext is not installed");
            for (const char* shown : {"Принято", "Передано", "1,50", "0,00", "МБ"})
                QVERIFY2(text.contains(QString::fromUtf8(shown)) == traffic, shown);
        }
    }

    void aRefusedSaveSaysWhereAndWhy() {
        Rig rig;
        ReportDocument report(rig.table, rig.table.CurrentRange(), {"0", "0:0:0"});
        PreviewWindow preview(&report, rig.dialogs);
        QDir().mkpath(rig.dir.filePath("taken.pdf")); // a folder stands in the way
        rig.dialogs.saveAnswer = rig.dir.filePath("taken.pdf");
        preview.SaveReport();
        QCOMPARE(rig.dialogs.errors.size(), 1);
        QVERIFY(rig.dialogs.errors[0].contains(rig.dir.filePath("taken.pdf")));
        // A file of the data folder the program runs in, there or not: refused, none made.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(rig.dir.path()));
        const auto back = qScopeGuard([&before] { QDir::setCurrent(before); });
        for (const char* name : {"data.db", "options.dn"}) {
            const QByteArray digest = FileDigest(rig.dir.filePath(name));
            rig.dialogs.saveAnswer = rig.dir.filePath(name);
            preview.SaveReport();
            QVERIFY2(rig.dialogs.errors.constLast().contains("файл данных"),
                     qPrintable(rig.dialogs.errors.constLast()));
            QCOMPARE(FileDigest(rig.dir.filePath(name)), digest);
        }
        QCOMPARE(rig.dialogs.errors.size(), 3);
        QVERIFY(!QFileInfo::exists(rig.dir.filePath("options.dn")));
        // Nor is one opened as a saved report.
        preview.OpenSavedReport(rig.dir.filePath("data.db"));
        QCOMPARE(rig.dialogs.errors.size(), 4);
        QVERIFY2(rig.dialogs.errors.constLast().contains("файл данных"),
                 qPrintable(rig.dialogs.errors.constLast()));
    }

    // The file choosers look at the names of the files only, even when the user takes them
    // into the data folder: opening data.db or its log to guess a type would drop the locks
    // SQLite holds on them, and another program's reader would then delete the live log.
    void fileChoosersLeaveTheDataFilesLocked() {
        // A table that stores nothing: no fold-back of its log comes and goes meanwhile.
        QTemporaryDir dir;
        SessionTable table(dir.path());
        const int held = LocksHeld();
        QVERIFY(held > 0);
        WidgetDialogs dialogs("kelvora");
        for (const bool save : {true, false}) {
            QTimer::singleShot(0, this, [&dir] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                const auto cancel = qScopeGuard([dialog] { dialog->reject(); });
                QVERIFY(dialog->directory() != QDir(dir.path()));
                dialog->setNameFilter("*");
                dialog->setDirectory(dir.path());
                auto* model = dialog->findChild<QFileSystemModel*>();
                QVERIFY(model);
                for (const char* name : {"data.db", "data.db-shm"}) {
                    const QString path = dir.filePath(name);
                    QTRY_VERIFY(!model->type(model->index(path)).isEmpty());
                }
            });
            const QString chosen =
                save ? dialogs.SaveFileName(nullptr, "Сохранить отчёт", "PDF (*.pdf)", nullptr)
                     : dialogs.OpenFileName(nullptr, "Открыть отчёт", "PDF (*.pdf)");
            QVERIFY(chosen.isEmpty());
            // Dropped, every lock of the process on the file would go at once; the log's
            // fold-back may meanwhile have added one of its own (a slow start of its thread).
            QVERIFY2(LocksHeld() >= held, qPrintable(QString::number(LocksHeld())));
        }
    }

    void printingAPageRange() {
        QTemporaryDir dir;
        SessionTable table(dir.path());
        for (int i = 0; i < 150; ++i)
            table.Append({Dec7, QString::number(i), "b", "0:01:00", "1", "1"});
        ReportDocument report(table, table.CurrentRange(), {"150", "Общ. время работы - 2:30:0"});
        FakeDialogs dialogs;
        PreviewWindow preview(&report, dialogs);
        const QString path = dir.filePath("printed.pdf");
        dialogs.printerSetup = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat); // a printer that writes a file
            printer.setOutputFileName(path);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(3, 4); // of 4: 46 + 47 + 47 + 10 lines
        };
        preview.PrintReport();
        QVERIFY(dialogs.errors.isEmpty());
        const QString text = PdfText(path);
        if (text.isEmpty())
            QSKIP("pdftotext is not installed");
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 2);
        QVERIFY(!pages[0].contains("Продолжительность"));
        QVERIFY(pages[1].contains("Итого"));
        QCOMPARE(OpenSavedPdf(path)->PageCount(), 2);
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
