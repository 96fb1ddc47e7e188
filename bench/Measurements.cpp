#include "Measurements.h"

#include "Measure.h"
#include "Table.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"
#include "spend/Budget.h"
#include "spend/StatisticsWindow.h"
#include "storage/SessionTable.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

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
    Print({ms, double(RssKb() - before)});
    return 0;
}

int Pdf(const QString& dir, const QString& file) {
    const SessionTable table(dir);
    const double ms = Millis([&] {
        ReportDocument report(table, table.CurrentRange(), {"0", "Общ. время работы - 0:0:0"});
        ReportExport::WritePdf(report, file);
    });
    Print({ms, double(PeakKb())});
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
                painter.drawText(
                    QPointF((10 + left[c] / 10.0) * mm, (y + 3) * mm),
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, c))));
            y += 5.8;
        }
        painter.end();
        sqlite3_finalize(rows);
        sqlite3_close(db);
    });
    Print({ms, double(PeakKb())});
    return 0;
}

// The statistics window on a data folder: the table opened, the period's days and the last
// twelve periods read from the kept day totals, the three charts laid out and painted once.
int Statistics(const QString& dir) {
    QList<double> runs;
    for (int i = 0; i < 3; ++i)
        runs << Millis([&] {
            const SessionTable table(dir);
            StatisticsWindow window(
                [&](const QDate& from, const QDate& to) { return table.DayTotalsIn(from, to); },
                [] {
                    return std::pair<qint64, double>{0, 0};
                });
            window.ShowPeriod(Budget{1, 500, 100, {80, 100}}, QDate(2026, 12, 8));
            QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
            window.render(&image);
        });
    Print({Median(runs)});
    return 0;
}

// `PROGRAM --summary --json` in a data folder, from launch to its end, beside
// `PROGRAM --version` (the cost of starting the program at all).
int Summary(const QString& program, const QString& dir) {
    const auto once = [&](const QStringList& args) {
        return Millis([&] {
            QProcess child;
            child.setWorkingDirectory(dir);
            child.start(program, args);
            child.waitForFinished(60'000);
        });
    };
    QList<double> summary, version;
    for (int i = 0; i < 5; ++i) {
        summary << once({"--summary", "--json"});
        version << once({"--version"});
    }
    Print({Median(summary), Median(version)});
    return 0;
}

int Totals(const QString& dir) {
    const SessionTable table(dir);
    QList<double> runs;
    for (int i = 0; i < 3; ++i)
        runs << Millis([&] { ReportTotals::Of(table, table.CurrentRange()); });
    Print({Median(runs)});
    return 0;
}

// The floor: the same rows read by the same query, each charge read with strtod and each
// duration's three numbers with strtol, summed in plain doubles and integers.
int ScanTotals(const QString& dir) {
    sqlite3* db = nullptr;
    sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
    double money = 0;
    long long seconds = 0;
    QList<double> runs;
    for (int i = 0; i < 3; ++i)
        runs << Millis([&] {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, "SELECT Summ, Itogo FROM session ORDER BY id DESC", -1, &s,
                               nullptr);
            while (sqlite3_step(s) == SQLITE_ROW) {
                char number[64];
                const int n = std::min(sqlite3_column_bytes(s, 0), int(sizeof number) - 1);
                std::memcpy(number, sqlite3_column_text(s, 0), size_t(n));
                number[n] = 0;
                if (char* comma = std::strchr(number, ','))
                    *comma = '.';
                money += std::strtod(number, nullptr);
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
                char* end = nullptr;
                const long h = std::strtol(t, &end, 10);
                const long m = *end == ':' ? std::strtol(end + 1, &end, 10) : 0;
                const long sec = *end == ':' ? std::strtol(end + 1, &end, 10) : 0;
                seconds += h * 3600 + m * 60 + sec;
            }
            sqlite3_finalize(s);
        });
    sqlite3_close(db);
    if (money < 0 || seconds < 0) // keeps the sums from being optimised away
        std::fprintf(stderr, "%f %lld\n", money, seconds);
    Print({Median(runs)});
    return 0;
}
