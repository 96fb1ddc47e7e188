// Report figures: opening the preview of 1e4, 1e5 and 1e6 records, and writing the PDF of
// 1e5 records against a plain QPainter loop over the same rows. Each figure is the median of
// several runs, each run in a fresh process so that its memory is its own.
//
//   report_bench            all figures, as a table
//   report_bench make DIR N | preview DIR | pdf DIR FILE | qpainter DIR FILE   one run

#include "BenchData.h"
#include "Measure.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int Preview(const QString& dir) {
    const SessionTable table(dir);
    const qint64 before = RssKb();
    QImage screen(794, 1123, QImage::Format_ARGB32_Premultiplied); // A4 at 96 dpi
    const double ms = Millis([&] {
        ReportDocument report(table, table.CurrentRange(), {"0", "Общ. время работы - 0:0:0"});
        QPainter painter(&screen);
        report.Paint(painter, 0, QRectF(screen.rect()));
        report.Paint(painter, report.PageCount() - 1, QRectF(screen.rect()));
    });
    const double totals = Millis([&] { ReportTotals::Of(table, table.CurrentRange()); });
    std::printf("%.3f %lld %.3f\n", ms, RssKb() - before, totals);
    return 0;
}

int Pdf(const QString& dir, const QString& file) {
    const SessionTable table(dir);
    const double ms = Millis([&] {
        ReportDocument report(table, table.CurrentRange(), {"0", "Общ. время работы - 0:0:0"});
        ReportExport::WritePdf(report, file);
    });
    std::printf("%.3f %lld\n", ms, PeakKb());
    return 0;
}

// The floor: the same rows and the same page breaks, drawn with nothing in between.
int PlainLoop(const QString& dir, const QString& file) {
    const double ms = Millis([&] {
        sqlite3* db = nullptr;
        sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT Data, WremN, WremW, Itogo, Tarif, Summ FROM session "
                           "ORDER BY id DESC",
                           -1, &rows, nullptr);
        QPdfWriter writer(file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(600);
        QPainter painter(&writer);
        QFont font({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
        font.setPointSizeF(8);
        painter.setFont(font);
        const double mm = writer.width() / 210.0;
        const int left[] = {3, 259, 516, 815, 1172, 1341};
        double y = 10 + 6.1;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            if (y + 5.8 > 287) {
                writer.newPage();
                y = 10;
            }
            for (int c = 0; c < 6; ++c)
                painter.drawText(QPointF((10 + left[c] / 10.0) * mm, (y + 3) * mm),
                                 QString::fromUtf8(reinterpret_cast<const char*>(
                                     sqlite3_column_text(rows, c))));
            y += 5.8;
        }
        painter.end();
        sqlite3_finalize(rows);
        sqlite3_close(db);
    });
    std::printf("%.3f %lld\n", ms, PeakKb());
    return 0;
}

QList<double> Run(const QStringList& args) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), args);
    child.waitForFinished(-1);
    QList<double> values;
    for (const QByteArray& v : child.readAllStandardOutput().trimmed().split(' '))
        values << v.toDouble();
    return values;
}

double Median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

int All() {
    QTemporaryDir work;
    constexpr int Runs = 3;
    std::printf("%-34s %12s %12s %8s %s\n", "figure", "ours", "baseline", "ratio", "target");
    for (qint64 records : {10'000LL, 100'000LL, 1'000'000LL}) {
        const QString dir = work.filePath(QString::number(records));
        QDir().mkpath(dir);
        Run({"make", dir, QString::number(records)});
        QList<double> ms, kb, totals;
        for (int i = 0; i < Runs; ++i) {
            const QList<double> v = Run({"preview", dir});
            ms << v.value(0);
            kb << v.value(1);
            totals << v.value(2);
        }
        std::printf("%-34s %9.1f ms %12s %8s %s\n",
                    qPrintable(QString("preview open, %1 records").arg(records)), Median(ms), "-",
                    "-", records == 1'000'000 ? "< 500 ms" : "");
        std::printf("%-34s %9.1f MB %12s %8s %s\n",
                    qPrintable(QString("preview extra memory, %1").arg(records)),
                    Median(kb) / 1024, "-", "-", records == 1'000'000 ? "< 50 MB" : "");
        std::printf("%-34s %9.1f ms %12s %8s\n",
                    qPrintable(QString("report totals, %1 records").arg(records)), Median(totals),
                    "-", "-");
        if (records == 100'000) {
            QList<double> ours, oursPeak, floor, floorPeak;
            for (int i = 0; i < Runs; ++i) {
                QList<double> v = Run({"pdf", dir, work.filePath("ours.pdf")});
                ours << v.value(0);
                oursPeak << v.value(1);
                v = Run({"qpainter", dir, work.filePath("floor.pdf")});
                floor << v.value(0);
                floorPeak << v.value(1);
            }
            std::printf("%-34s %9.1f ms %9.1f ms %8.2f %s\n", "PDF of 100000 records", Median(ours),
                        Median(floor), Median(ours) / Median(floor), "<= 1.25 x");
            std::printf("%-34s %9.1f MB %9.1f MB %8.2f %s\n", "PDF peak memory", Median(oursPeak) / 1024,
                        Median(floorPeak) / 1024, Median(oursPeak) / Median(floorPeak), "< 80 MB");
        }
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return All();
    if (args[0] == "make" && args.size() == 3) {
        MakeSessions(args[1], args[2].toLongLong());
        return 0;
    }
    if (args[0] == "preview" && args.size() == 2)
        return Preview(args[1]);
    if (args[0] == "pdf" && args.size() == 3)
        return Pdf(args[1], args[2]);
    if (args[0] == "qpainter" && args.size() == 3)
        return PlainLoop(args[1], args[2]);
    std::fprintf(stderr, "usage: report_bench [make DIR N | preview DIR | pdf DIR FILE | "
                         "qpainter DIR FILE]\n");
    return 2;
}
