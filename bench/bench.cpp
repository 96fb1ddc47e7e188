// The benchmark command: every figure of the program beside its baseline, measured in the
// same run on the same machine, medians of several runs, each heavy run in a fresh process
// so that its memory is its own. Figures only: nothing here passes or fails.
//
//   bench all PROGRAM MINIMAL    the whole table (PROGRAM: kelvora, MINIMAL: minimal_qt)
//   bench make DIR N | preview DIR | pdf DIR FILE | qpainter DIR FILE | totals DIR |
//         rawtotals DIR | append DIR | rawappend DIR | grid DIR | poll      one measurement

#include "BenchData.h"
#include "Measure.h"
#include "accounting/ConnectionProbe.h"
#include "app/SessionGrid.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"
#include "storage/SessionModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

double Percentile(QList<double> values, double p) {
    std::sort(values.begin(), values.end());
    if (values.isEmpty())
        return 0;
    return values[std::min<qsizetype>(values.size() - 1, qsizetype(p * (values.size() - 1) + 0.5))];
}
double Median(const QList<double>& values) { return Percentile(values, 0.5); }

void Print(std::initializer_list<double> values) {
    QStringList out;
    for (double v : values)
        out << QString::number(v, 'f', 3);
    std::printf("%s\n", qPrintable(out.join(' ')));
}

// --- one measurement each, run in a process of its own -------------------------------------

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
                painter.drawText(QPointF((10 + left[c] / 10.0) * mm, (y + 3) * mm),
                                 QString::fromUtf8(reinterpret_cast<const char*>(
                                     sqlite3_column_text(rows, c))));
            y += 5.8;
        }
        painter.end();
        sqlite3_finalize(rows);
        sqlite3_close(db);
    });
    Print({ms, double(PeakKb())});
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

// The same two sums computed by SQLite itself.
int RawTotals(const QString& dir) {
    sqlite3* db = nullptr;
    sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
    const char* sql =
        "SELECT sum(CAST(replace(Summ, ',', '.') AS REAL)), "
        "sum(CAST(substr(Itogo, 1, instr(Itogo, ':') - 1) AS INTEGER)), "
        "sum(CAST(substr(Itogo, instr(Itogo, ':') + 1, 2) AS INTEGER)), "
        "sum(CAST(substr(Itogo, -2) AS INTEGER)) FROM session";
    QList<double> runs;
    for (int i = 0; i < 3; ++i)
        runs << Millis([&] {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
            sqlite3_step(s);
            sqlite3_finalize(s);
        });
    sqlite3_close(db);
    Print({Median(runs)});
    return 0;
}

int Append(const QString& dir) {
    SessionTable table(dir);
    const SessionRecord r{QDate(2026, 12, 7), "9:15:00", "10:45:30", "1:30:30", "20",
                          "30,1666666666667"};
    QList<double> runs;
    for (int i = 0; i < 200; ++i)
        runs << Millis([&] { table.Append(r, std::nullopt); });
    Print({Median(runs), Percentile(runs, 0.99)});
    return 0;
}

// Raw SQLite with the same journal and sync settings: one insert per transaction.
int RawAppend(const QString& dir) {
    { SessionTable create(dir); }
    sqlite3* db = nullptr;
    sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO session(Data, WremN, WremW, Itogo, Tarif, Summ) "
                       "VALUES('2026-12-07', '9:15:00', '10:45:30', '1:30:30', '20', "
                       "'30,1666666666667')",
                       -1, &insert, nullptr);
    QList<double> runs;
    for (int i = 0; i < 200; ++i)
        runs << Millis([&] {
            sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            sqlite3_step(insert);
            sqlite3_reset(insert);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        });
    sqlite3_finalize(insert);
    sqlite3_close(db);
    Print({Median(runs), Percentile(runs, 0.99)});
    return 0;
}

int Grid(const QString& dir) {
    const qint64 before = RssKb();
    SessionTable table(dir);
    SessionModel* model = nullptr;
    SessionGrid* grid = nullptr;
    QImage shot;
    const double open = Millis([&] {
        model = new SessionModel(table);
        grid = new SessionGrid(model);
        grid->resize(600, 300);
        grid->show();
        shot = grid->grab().toImage(); // the first paint
    });
    const qint64 opened = RssKb();
    grid->scrollToBottom();
    shot = grid->grab().toImage();
    for (int step = 0; step < 50; ++step) { // and up and down through it
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() * step / 50);
        shot = grid->grab().toImage();
    }
    Print({open, double(RssKb() - opened), double(opened - before)});
    delete grid;
    delete model;
    return 0;
}

int Poll() {
    SystemAddresses addresses;
    ConnectionProbe probe(addresses);
    QList<double> runs;
    for (int i = 0; i < 2000; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        probe.IsConnected();
        runs << std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                    .count();
    }
    Print({Median(runs), Percentile(runs, 0.99)});
    return 0;
}

// --- the whole table ------------------------------------------------------------------------

QString self;

QList<double> Run(const QStringList& args) {
    QProcess child;
    child.start(self, args);
    child.waitForFinished(-1);
    QList<double> values;
    for (const QByteArray& v : child.readAllStandardOutput().trimmed().split(' '))
        values << v.toDouble();
    return values;
}

// Medians over `runs` fresh processes, value by value.
QList<double> Runs(const QStringList& args, int runs = 3) {
    QList<QList<double>> all;
    for (int i = 0; i < runs; ++i)
        all << Run(args);
    QList<double> medians;
    for (qsizetype v = 0; v < all.front().size(); ++v) {
        QList<double> column;
        for (const auto& run : all)
            column << run.value(v);
        medians << Median(column);
    }
    return medians;
}

qint64 Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// From launching a program to its first event-loop iteration, in milliseconds.
double StartUp(const QString& program, const QString& dir) {
    QList<double> runs;
    for (int i = 0; i < 5; ++i) {
        QProcess child;
        child.setWorkingDirectory(dir);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELVORA_BENCH_STARTUP", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        const qint64 launched = Now();
        child.start(program, {});
        child.waitForFinished(-1);
        runs << (child.readAllStandardOutput().trimmed().toLongLong() - launched) / 1e6;
        QFile::remove(QDir(dir).filePath(".kelvora.lock"));
    }
    return Median(runs);
}

struct Usage {
    qint64 rssKb = 0;
    double cpuMs = 0;
    qint64 switches = 0; // context switches of all threads: the wakeups
};

Usage UsageOf(qint64 pid) {
    Usage u;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromLatin1(status.readAll());
        const auto m = QRegularExpression("VmRSS:\\s+(\\d+)").match(text);
        u.rssKb = m.captured(1).toLongLong();
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
        u.cpuMs = (f.value(11).toDouble() + f.value(12).toDouble()) * 1000.0 /
                  double(sysconf(_SC_CLK_TCK));
    }
    // The wakeups of the user-interface thread, where the timers fire. (Worker threads come
    // and go, and their counts go with them.)
    QFile task(QStringLiteral("/proc/%1/task/%1/status").arg(pid));
    if (task.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromLatin1(task.readAll());
        for (const char* field : {"voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"}) {
            const auto m = QRegularExpression(QStringLiteral("\\n%1:\\s+(\\d+)").arg(field)).match(text);
            u.switches += m.captured(1).toLongLong();
        }
    }
    return u;
}

// Programs left running side by side for `seconds`, measured from 5 s in.
QList<Usage> SteadyState(const QList<QStringList>& commands, const QStringList& dirs, int seconds) {
    QList<QProcess*> children;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        auto* child = new QProcess;
        child->setWorkingDirectory(dirs[i]);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child->setProcessEnvironment(env);
        child->start(commands[i].front(), commands[i].mid(1));
        child->waitForStarted();
        children << child;
    }
    QThread::sleep(5);
    QList<Usage> first;
    for (QProcess* c : children)
        first << UsageOf(c->processId());
    QThread::sleep(seconds);
    QList<Usage> result;
    for (qsizetype i = 0; i < children.size(); ++i) {
        const Usage last = UsageOf(children[i]->processId());
        result << Usage{last.rssKb, last.cpuMs - first[i].cpuMs,
                        (last.switches - first[i].switches) * 60 / seconds};
        children[i]->terminate();
        children[i]->waitForFinished(5000);
        delete children[i];
    }
    return result;
}

void Row(const char* figure, double ours, double baseline, const char* unit, const QString& target,
         bool met) {
    const QString ratio = baseline > 0 ? QString::number(ours / baseline, 'f', 2) : "-";
    const QString base = baseline > 0 ? QString::number(baseline, 'f', 1) + " " + unit : "-";
    std::printf("%-44s %12s %12s %6s  %-22s %s\n", figure,
                qPrintable(QString::number(ours, 'f', 1) + " " + unit), qPrintable(base),
                qPrintable(ratio), qPrintable(target),
                target.isEmpty() ? "" : met ? "met" : "NOT MET");
    std::fflush(stdout);
}

int All(const QString& program, const QString& minimal) {
    QTemporaryDir work;
    auto folder = [&](const QString& name, qint64 records) {
        const QString dir = work.filePath(name);
        QDir().mkpath(dir);
        if (records >= 0)
            Run({"make", dir, QString::number(records)});
        return dir;
    };
    const QString million = folder("1e6", 1'000'000);
    const QString hundredK = folder("1e5", 100'000);
    const QString empty = folder("empty", -1);
    std::printf("%-44s %12s %12s %6s  %-22s %s\n", "figure", "ours", "baseline", "ratio",
                "target", "");

    // Side by side for a minute: the program connected with 1e5 records, and the floor.
    const QList<Usage> steady =
        SteadyState({{program}, {minimal}}, {folder("run", 100'000), empty}, 60);
    Row("memory after 60 s connected, 1e5 records", steady[0].rssKb / 1024.0,
        steady[1].rssKb / 1024.0, "MB", "<= 1.5 x", steady[0].rssKb <= 1.5 * steady[1].rssKb);
    Row("CPU time over 60 s connected", steady[0].cpuMs, steady[1].cpuMs, "ms", "<= 2 x",
        steady[0].cpuMs <= 2 * std::max(steady[1].cpuMs, 1.0));
    Row("wakeups per minute, connected", steady[0].switches, steady[1].switches, "", "<= 100",
        steady[0].switches <= 100);
    if (getuid() == 0 && QProcess::execute("ip", {"netns", "add", "kelvora-bench"}) == 0) {
        const QList<Usage> offline = SteadyState(
            {{"ip", "netns", "exec", "kelvora-bench", program}}, {folder("offline", 0)}, 30);
        QProcess::execute("ip", {"netns", "del", "kelvora-bench"});
        Row("wakeups per minute, not connected", offline[0].switches, 0, "", "<= 25",
            offline[0].switches <= 25);
    } else {
        std::printf("%-44s %12s  (needs root for a network namespace)\n",
                    "wakeups per minute, not connected", "-");
    }

    const double start = StartUp(program, million);
    const double floor = StartUp(minimal, empty);
    Row("start to first event loop, 1e6 records", start, floor, "ms", "<= 2 x", start <= 2 * floor);

    const QList<double> append = Runs({"append", folder("append", 0)});
    const QList<double> raw = Runs({"rawappend", folder("rawappend", -1)});
    Row("record append, median", append[0], raw[0], "ms", "<= 2 x", append[0] <= 2 * raw[0]);
    Row("record append, p99", append[1], raw[1], "ms", "< 5 ms", append[1] < 5);

    const QList<double> grid = Runs({"grid", million});
    Row("grid open on 1e6 rows to first paint", grid[0], 0, "ms", "< 25 ms", grid[0] < 25);
    Row("grid memory growth scrolling to the end", grid[1] / 1024, 0, "MB", "< 50 MB",
        grid[1] < 50 * 1024);

    const double totals = Runs({"totals", million})[0];
    const double rawTotals = Runs({"rawtotals", million})[0];
    Row("report totals over 1e6 rows", totals, rawTotals, "ms", "<= 1.5 x", totals <= 1.5 * rawTotals);

    const QList<double> small = Runs({"preview", folder("1e4", 10'000)});
    Row("preview open on 1e4 records", small[0], 0, "ms", "", true);
    const QList<double> medium = Runs({"preview", hundredK});
    Row("preview open on 1e5 records", medium[0], 0, "ms", "", true);
    const QList<double> preview = Runs({"preview", million});
    Row("preview open on 1e6 records", preview[0], 0, "ms", "< 500 ms", preview[0] < 500);
    Row("preview extra memory, 1e6 records", preview[1] / 1024, 0, "MB", "< 50 MB",
        preview[1] < 50 * 1024);

    const QList<double> pdf = Runs({"pdf", hundredK, work.filePath("ours.pdf")});
    const QList<double> loop = Runs({"qpainter", hundredK, work.filePath("floor.pdf")});
    Row("PDF of 1e5 records", pdf[0], loop[0], "ms", "<= 1.25 x", pdf[0] <= 1.25 * loop[0]);
    Row("PDF peak memory", pdf[1] / 1024, loop[1] / 1024, "MB", "< 80 MB", pdf[1] < 80 * 1024);

    const QList<double> poll = Runs({"poll"});
    Row("one poll (two or three lookups), median", poll[0], 0, "us", "< 50 us", poll[0] < 50);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    self = QCoreApplication::applicationFilePath();
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == "all" && args.size() == 3)
        return All(args[1], args[2]);
    if (command == "make" && args.size() == 3) {
        MakeSessions(args[1], args[2].toLongLong());
        return 0;
    }
    if (command == "preview" && args.size() == 2)
        return Preview(args[1]);
    if (command == "pdf" && args.size() == 3)
        return Pdf(args[1], args[2]);
    if (command == "qpainter" && args.size() == 3)
        return PlainLoop(args[1], args[2]);
    if (command == "totals" && args.size() == 2)
        return Totals(args[1]);
    if (command == "rawtotals" && args.size() == 2)
        return RawTotals(args[1]);
    if (command == "append" && args.size() == 2)
        return Append(args[1]);
    if (command == "rawappend" && args.size() == 2)
        return RawAppend(args[1]);
    if (command == "grid" && args.size() == 2)
        return Grid(args[1]);
    if (command == "poll")
        return Poll();
    std::fprintf(stderr, "usage: bench all PROGRAM MINIMAL | make DIR N | preview DIR | ...\n");
    return 2;
}
