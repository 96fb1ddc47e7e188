// The benchmark command: every figure of the program beside its baseline, measured in the
// same run on the same machine, medians of several runs, each heavy run in a fresh process
// so that its memory is its own. Figures only: nothing here passes or fails.
//
//   bench all PROGRAM MINIMAL [PART...]   the whole table (PROGRAM: kelvora, MINIMAL:
//         minimal_qt), or only the named parts: idle hidden syncs offline startup append
//         grid totals preview pdf poll
//   bench make DIR N | preview DIR | pdf DIR FILE | qpainter DIR FILE | totals DIR |
//         scantotals DIR | sqltotals DIR | append DIR | rawappend DIR | grid DIR |
//         sqlgrid DIR | poll      one measurement

#include "BenchData.h"
#include "Measure.h"
#include "accounting/ConnectionProbe.h"
#include "app/SessionGrid.h"
#include "link/LinkAddresses.h"
#include "link/LinkDialog.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"
#include "settings/OptionsFile.h"
#include "spend/Budget.h"
#include "spend/StatisticsWindow.h"
#include "storage/SessionModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

double Percentile(QList<double> values, double p) {
    std::sort(values.begin(), values.end());
    if (values.isEmpty())
        return 0;
    return values[std::min<qsizetype>(values.size() - 1, qsizetype(p * (values.size() - 1) + 0.5))];
}
double Median(const QList<double>& values) {
    return Percentile(values, 0.5);
}

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
                [] { return std::pair<qint64, double>{0, 0}; });
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

// The same two sums computed by SQLite itself, with its string functions.
int SqlTotals(const QString& dir) {
    sqlite3* db = nullptr;
    sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
    const char* sql = "SELECT sum(CAST(replace(Summ, ',', '.') AS REAL)), "
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
    const SessionRecord r{QDate(2026, 12, 7), "9:15:00", "10:45:30",
                          "1:30:30",          "20",      "30,1666666666667"};
    QList<double> runs;
    for (int i = 0; i < 200; ++i)
        runs << Millis([&] { table.Append(r, std::nullopt); });
    Print({Median(runs), Percentile(runs, 0.99)});
    return 0;
}

// Raw SQLite with the journal and sync settings of a stored record (write-ahead log, full
// sync): one insert per transaction, its log folded back when it passes the pages the program
// folds it back at (SQLite's own default), in the committing thread.
int RawAppend(const QString& dir) {
    { SessionTable create(dir); }
    sqlite3* db = nullptr;
    sqlite3_open(QDir(dir).filePath("data.db").toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA wal_autocheckpoint=1000",
                 nullptr, nullptr, nullptr);
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

// Opens a view, paints it once, then scrolls to the end and up and down through it: the
// time to the first paint, the memory the scrolling added, and the memory the opening took.
template <typename Open> int GridFigures(Open open) {
    const qint64 before = RssKb();
    QTableView* view = nullptr;
    QImage shot;
    const double ms = Millis([&] {
        view = open();
        view->resize(600, 300);
        view->show();
        shot = view->grab().toImage(); // the first paint
    });
    const qint64 opened = RssKb();
    view->scrollToBottom();
    shot = view->grab().toImage();
    for (int step = 0; step < 50; ++step) {
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * step / 50);
        shot = view->grab().toImage();
    }
    Print({ms, double(RssKb() - opened), double(opened - before)});
    return 0;
}

int Grid(const QString& dir) {
    SessionTable* table = nullptr;
    return GridFigures([&] {
        table = new SessionTable(dir);
        return new SessionGrid(new SessionModel(*table));
    });
}

// The floor: a plain table view over a plain query model, on the same file.
int SqlGrid(const QString& dir) {
    return GridFigures([&] {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE");
        db.setDatabaseName(QDir(dir).filePath("data.db"));
        db.open();
        auto* model = new QSqlQueryModel;
        model->setQuery("SELECT Data, WremN, WremW, Itogo, Tarif, Summ FROM session "
                        "ORDER BY id DESC",
                        db);
        auto* view = new QTableView;
        view->setModel(model);
        return view;
    });
}

// Every interface metered, as NetworkManager's flags stand between its signals: a poll
// reads them from memory, never from the bus.
class AllMetered final : public MeteredFlags {
public:
    bool Answers() override { return true; }
    std::optional<Metered> FlagOf(const QString&) override { return Metered::Yes; }
};

// One poll's connection check, two thousand times: the bare address lookup, then through
// the link choice in each mode.
int Poll() {
    const auto time = [](AddressSource& addresses) {
        ConnectionProbe probe(addresses);
        QList<double> runs;
        for (int i = 0; i < 2000; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            probe.IsConnected();
            runs << std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() -
                                                              t0)
                        .count();
        }
        return Median(runs);
    };
    SystemAddresses bare;
    SystemInterfaces interfaces;
    AllMetered metered;
    const auto link = [&](LinkMode mode, QStringList patterns) {
        return LinkAddresses(interfaces, [&metered]() -> MeteredFlags& { return metered; },
                             LinkChoice(mode, std::move(patterns)));
    };
    LinkAddresses all = link(LinkMode::All, {});
    LinkAddresses chosen = link(LinkMode::Chosen, {"ppp*", "wwan*", "eth0", "enx*"});
    LinkAddresses paid = link(LinkMode::Metered, {});
    Print({time(bare), time(all), time(chosen), time(paid)});
    return 0;
}

// The link dialog: made and shown with its first reading of the interfaces, then each
// reading that follows the machine while it is open.
int LinkScan(const QString& dir) {
    CountedLink link(dir);
    WidgetDialogs dialogs(QStringLiteral("bench"));
    LinkDialog* dialog = nullptr;
    const double open = Millis([&] {
        dialog = new LinkDialog(link, dialogs);
        dialog->show();
        (void)dialog->grab();
    });
    QList<double> runs;
    for (int i = 0; i < 200; ++i)
        runs << Millis([&] { dialog->Refresh(); });
    Print({open, Median(runs), double(dialog->Table()->rowCount())});
    return 0;
}

// --- the whole table ------------------------------------------------------------------------

QString self;

// A median with the lowest and highest of the runs behind it.
struct Figure {
    double median = 0, low = 0, high = 0;
};
Figure FigureOf(const QList<double>& runs) {
    if (runs.isEmpty())
        return {};
    return {Median(runs), *std::min_element(runs.begin(), runs.end()),
            *std::max_element(runs.begin(), runs.end())};
}
Figure Scaled(Figure f, double by) {
    return {f.median * by, f.low * by, f.high * by};
}

QList<double> Run(const QStringList& args) {
    QProcess child;
    child.start(self, args);
    child.waitForFinished(-1);
    QList<double> values;
    for (const QByteArray& v : child.readAllStandardOutput().trimmed().split(' '))
        values << v.toDouble();
    return values;
}

// `runs` fresh processes of each command, taken in turn (a, b, a, b, ...) so that what
// else the machine does falls on both alike; per command, value by value.
QList<QList<Figure>> Interleaved(const QList<QStringList>& commands, int runs = 3) {
    QList<QList<QList<double>>> all(commands.size());
    for (int i = 0; i < runs; ++i)
        for (qsizetype c = 0; c < commands.size(); ++c)
            all[c] << Run(commands[c]);
    QList<QList<Figure>> result;
    for (const auto& one : all) {
        QList<Figure> figures;
        for (qsizetype v = 0; v < one.front().size(); ++v) {
            QList<double> column;
            for (const auto& run : one)
                column << run.value(v);
            figures << FigureOf(column);
        }
        result << figures;
    }
    return result;
}

qint64 Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// From launching a program to its first event-loop iteration, in milliseconds.
double StartUpOnce(const QString& program, const QString& dir) {
    QProcess child;
    child.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KELVORA_BENCH_STARTUP", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    const qint64 launched = Now();
    child.start(program, {});
    child.waitForFinished(-1);
    QFile::remove(QDir(dir).filePath(".kelvora.lock"));
    return (child.readAllStandardOutput().trimmed().toLongLong() - launched) / 1e6;
}

struct Usage {
    qint64 rssKb = 0;
    double cpuMs = 0;
    qint64 switches = 0; // context switches of all threads
};

qint64 SwitchesIn(const QString& statusFile) {
    QFile status(statusFile);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    qint64 sum = 0;
    for (const char* field : {"voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"})
        sum += QRegularExpression(QStringLiteral("\\n%1:\\s+(\\d+)").arg(field))
                   .match(text)
                   .captured(1)
                   .toLongLong();
    return sum;
}

// Follows one process: its threads' context switches and CPU time from when it began to be
// watched (a thread that ends keeps what was last read of it, and the threads are read
// every second; one that begins counts from nothing), and its memory. CPU time comes from
// each thread's schedstat, in nanoseconds: the clock ticks of /proc/PID/stat are 10 ms,
// too coarse for a minute of a program at rest.
class Watch {
public:
    explicit Watch(qint64 pid) : pid_(pid) { Sample(true); }
    void Sample(bool atStart = false) {
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid_));
        for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const qint64 n = SwitchesIn(tasks.filePath(tid + "/status"));
            QFile schedstat(tasks.filePath(tid + "/schedstat"));
            if (n < 0 || !schedstat.open(QIODevice::ReadOnly))
                continue;
            const Counts now{n, schedstat.readAll().split(' ').value(0).toLongLong()};
            if (!start_.contains(tid))
                start_[tid] = atStart ? now : Counts{};
            last_[tid] = now;
        }
    }
    Usage Total() {
        Sample();
        Usage u;
        for (auto it = last_.cbegin(); it != last_.cend(); ++it) {
            u.switches += it.value().switches - start_.value(it.key()).switches;
            u.cpuMs += (it.value().cpuNs - start_.value(it.key()).cpuNs) / 1e6;
        }
        QFile status(QStringLiteral("/proc/%1/status").arg(pid_));
        if (status.open(QIODevice::ReadOnly))
            u.rssKb = QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+)"))
                          .match(QString::fromLatin1(status.readAll()))
                          .captured(1)
                          .toLongLong();
        return u;
    }

private:
    struct Counts {
        qint64 switches = 0, cpuNs = 0;
    };
    qint64 pid_;
    QHash<QString, Counts> start_, last_;
};

QProcess* Launch(const QStringList& command, const QString& dir) {
    auto* child = new QProcess;
    child->setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child->setProcessEnvironment(env);
    child->start(command.front(), command.mid(1));
    child->waitForStarted();
    return child;
}

void End(QProcess* child) {
    child->terminate();
    child->waitForFinished(5000);
    QFile::remove(QDir(child->workingDirectory()).filePath(".kelvora.lock"));
    delete child;
}

// Programs left running side by side for `seconds`, measured from 20 s in (after the
// start-up's quick check and first copies, which run 10 s in), the threads looked at every
// second; per minute.
QList<Usage> SteadyState(const QList<QStringList>& commands, const QStringList& dirs, int seconds) {
    QList<QProcess*> children;
    for (qsizetype i = 0; i < commands.size(); ++i)
        children << Launch(commands[i], dirs[i]);
    QThread::sleep(20);
    std::vector<std::unique_ptr<Watch>> watches;
    for (QProcess* c : children)
        watches.push_back(std::make_unique<Watch>(c->processId()));
    for (int s = 0; s < seconds; ++s) {
        QThread::sleep(1);
        for (auto& w : watches)
            w->Sample();
    }
    QList<Usage> result;
    for (qsizetype i = 0; i < children.size(); ++i) {
        Usage u = watches[size_t(i)]->Total();
        u.cpuMs = u.cpuMs * 60 / seconds;
        u.switches = u.switches * 60 / seconds;
        result << u;
        End(children[i]);
    }
    return result;
}

// The program's calls of fsync and fdatasync over `seconds`, per minute, counted by strace
// from 20 s in (a run of its own: tracing adds switches of its own).
double SyncsPerMinute(const QString& program, const QString& dir, int seconds) {
    QProcess* child = Launch({program}, dir);
    QThread::sleep(20);
    const QString out = QDir(dir).filePath("strace.txt");
    QProcess strace;
    strace.start("strace", {"-f", "-c", "-q", "-o", out, "-e", "trace=fsync,fdatasync", "-p",
                            QString::number(child->processId())});
    strace.waitForStarted();
    QThread::sleep(seconds);
    ::kill(pid_t(strace.processId()), SIGINT);
    strace.waitForFinished(5000);
    End(child);
    QFile file(out);
    double calls = 0;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() >= 5 && (f.last() == "fsync" || f.last() == "fdatasync"))
                calls += f[3].toDouble();
        }
    return calls * 60 / seconds;
}

QString Text(const Figure& f, const char* unit) {
    const int places = f.median >= 100 ? 0 : 1;
    QString text = QString::number(f.median, 'f', places);
    if (f.high > f.low)
        text += QStringLiteral(" (%1-%2)")
                    .arg(QString::number(f.low, 'f', places), QString::number(f.high, 'f', places));
    if (*unit)
        text += QLatin1Char(' ') + QLatin1String(unit);
    return text;
}

void Row(const char* figure, Figure ours, Figure baseline, const char* unit, const QString& target,
         bool met) {
    const bool hasBase = baseline.median > 0;
    const QString ratio = hasBase ? QString::number(ours.median / baseline.median, 'f', 2) : "-";
    std::printf("%-46s %22s %22s %6s  %-10s %s\n", figure, qPrintable(Text(ours, unit)),
                hasBase ? qPrintable(Text(baseline, unit)) : "-", qPrintable(ratio),
                qPrintable(target),
                target.isEmpty() ? ""
                : met            ? "met"
                                 : "NOT MET");
    std::fflush(stdout);
}
void Row(const char* figure, double ours, double baseline, const char* unit, const QString& target,
         bool met) {
    Row(figure, Figure{ours, ours, ours}, Figure{baseline, baseline, baseline}, unit, target, met);
}

int All(const QString& program, const QString& minimal, QStringList parts) {
    if (parts.isEmpty())
        parts = QStringList{"idle",   "hidden",  "syncs", "offline", "startup", "append",
                            "grid",   "totals",  "spend", "preview", "pdf",     "poll",
                            "link"};
    const int rounds = qEnvironmentVariableIntValue("KELVORA_BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("KELVORA_BENCH_ROUNDS")
                           : 3;
    QTemporaryDir work;
    QHash<QString, QString> made;
    auto folder = [&](const QString& name, qint64 records) {
        if (made.contains(name))
            return made[name];
        const QString dir = work.filePath(name);
        QDir().mkpath(dir);
        if (records >= 0)
            Run({"make", dir, QString::number(records)});
        return made[name] = dir;
    };
    std::printf("%-46s %22s %22s %6s  %-10s %s\n", "figure (median, lowest-highest)", "ours",
                "baseline", "ratio", "target", "");
    const auto each = [](const QList<Usage>& runs, auto field) {
        QList<double> values;
        for (const Usage& u : runs)
            values << double(field(u));
        return FigureOf(values);
    };

    if (parts.contains("idle")) {
        // Side by side, a minute a round: the program connected with 1e5 records, and the
        // floor.
        QList<Usage> ours, floor;
        for (int r = 0; r < rounds; ++r) {
            const QList<Usage> steady = SteadyState(
                {{program}, {minimal}}, {folder("run", 100'000), folder("empty", -1)}, 60);
            ours << steady[0];
            floor << steady[1];
        }
        const auto rss = [](const Usage& u) {
            return u.rssKb / 1024.0;
        };
        const auto cpu = [](const Usage& u) {
            return u.cpuMs;
        };
        const auto sw = [](const Usage& u) {
            return u.switches;
        };
        const Figure memory = each(ours, rss), memoryFloor = each(floor, rss);
        Row("memory after 60 s connected, 1e5 records", memory, memoryFloor, "MB", "<= 1.5 x",
            memory.median <= 1.5 * memoryFloor.median);
        const Figure time = each(ours, cpu), timeFloor = each(floor, cpu);
        Row("CPU time per minute, connected", time, timeFloor, "ms", "<= 1.25 x",
            time.median <= 1.25 * std::max(timeFloor.median, 1.0));
        const Figure wakeups = each(ours, sw), wakeupsFloor = each(floor, sw);
        Row("context switches per minute, connected", wakeups, wakeupsFloor, "", "<= 1.1 x",
            wakeups.median <= 1.1 * wakeupsFloor.median);
    }

    if (parts.contains("hidden")) {
        // The same, with the program started minimised ("Запускать в свернутом виде"; with
        // no tray, hiding minimises): nothing shows its status line.
        const QString dir = folder("hidden", 100'000);
        QFile options(QDir(dir).filePath(OptionsFile::FileName));
        if (options.open(QIODevice::WriteOnly))
            options.write(JoinOptions(true, QString(), 3));
        options.close();
        QList<Usage> ours, floor;
        for (int r = 0; r < rounds; ++r) {
            const QList<Usage> steady =
                SteadyState({{program}, {minimal}}, {dir, folder("empty", -1)}, 60);
            ours << steady[0];
            floor << steady[1];
        }
        const auto cpu = [](const Usage& u) { return u.cpuMs; };
        const auto sw = [](const Usage& u) { return u.switches; };
        const Figure wakeups = each(ours, sw), wakeupsFloor = each(floor, sw);
        Row("context switches per minute, minimised", wakeups, wakeupsFloor, "", "<= 1 x",
            wakeups.median <= wakeupsFloor.median);
        Row("CPU time per minute, minimised", each(ours, cpu), each(floor, cpu), "ms", "", true);
    }

    if (parts.contains("syncs")) {
        if (QStandardPaths::findExecutable("strace").isEmpty()) {
            std::printf("%-46s %22s  (needs strace)\n", "syncs per minute, connected", "-");
        } else {
            const double syncs = SyncsPerMinute(program, folder("run", 100'000), 60);
            // A checkpoint at every poll, every twentieth with a sync: one a minute at the
            // default interval.
            Row("fsync and fdatasync calls per minute, connected", syncs, 0, "", "", true);
        }
    }

    if (parts.contains("offline")) {
        if (getuid() == 0) {
            // The program and the floor side by side in a network namespace of their own,
            // where only loopback exists.
            const QString ns = QStringLiteral("kelvora-bench-%1").arg(getpid());
            QList<Usage> ours, floor;
            if (QProcess::execute("ip", {"netns", "add", ns}) == 0) {
                for (int r = 0; r < rounds; ++r) {
                    const QList<Usage> offline =
                        SteadyState({{"ip", "netns", "exec", ns, program},
                                     {"ip", "netns", "exec", ns, minimal}},
                                    {folder("offline", 0), folder("empty", -1)}, 60);
                    ours << offline[0];
                    floor << offline[1];
                }
                QProcess::execute("ip", {"netns", "del", ns});
                const auto sw = [](const Usage& u) {
                    return u.switches;
                };
                const auto cpu = [](const Usage& u) {
                    return u.cpuMs;
                };
                const Figure wakeups = each(ours, sw), wakeupsFloor = each(floor, sw);
                Row("context switches per minute, not connected", wakeups, wakeupsFloor, "",
                    "<= 1 x", wakeups.median <= wakeupsFloor.median);
                Row("CPU time per minute, not connected", each(ours, cpu), each(floor, cpu), "ms",
                    "", true);
            }
        } else {
            std::printf("%-46s %22s  (needs root for a network namespace)\n",
                        "context switches per minute, not connected", "-");
        }
    }

    if (parts.contains("startup")) {
        // Interleaved: the floor, the program on a million records, the program on none.
        const QString million = folder("1e6", 1'000'000);
        const QString none = folder("startup-empty", 0);
        QList<double> floor, ours, oursEmpty;
        const int runs = std::max(12, rounds);
        for (int i = 0; i < runs; ++i) {
            floor << StartUpOnce(minimal, folder("empty", -1));
            ours << StartUpOnce(program, million);
            oursEmpty << StartUpOnce(program, none);
        }
        const Figure start = FigureOf(ours), base = FigureOf(floor);
        Row("start to first event loop, 1e6 records", start, base, "ms", "<= 1.5 x",
            start.median <= 1.5 * base.median);
        Row("start to first event loop, no records", FigureOf(oursEmpty), base, "ms", "", true);
    }

    if (parts.contains("append")) {
        const auto r = Interleaved(
            {{"append", folder("append", 0)}, {"rawappend", folder("rawappend", -1)}}, rounds);
        Row("record append, median", r[0][0], r[1][0], "ms", "<= 1.1 x",
            r[0][0].median <= 1.1 * r[1][0].median);
        Row("record append, p99", r[0][1], r[1][1], "ms", "<= 1.2 x",
            r[0][1].median <= 1.2 * r[1][1].median);
    }

    if (parts.contains("grid")) {
        const QString million = folder("1e6", 1'000'000);
        const auto r = Interleaved(
            {{"grid", million}, {"sqlgrid", million}, {"grid", folder("10", 10)}}, rounds);
        Row("grid open on 1e6 rows to first paint", r[0][0], r[1][0], "ms", "<= 1.5 x",
            r[0][0].median <= 1.5 * r[1][0].median);
        Row("grid open on 10 rows to first paint", r[2][0], r[1][0], "ms", "", true);
        const Figure openMemory = Scaled(r[0][2], 1 / 1024.0);
        const Figure smallMemory = Scaled(r[2][2], 1 / 1024.0);
        Row("grid memory to open, 1e6 rows (base: 10 rows)", openMemory, smallMemory, "MB",
            "<= 10 rows'+1", openMemory.median <= smallMemory.median + 1);
        Row("grid memory growth scrolling to the end", Scaled(r[0][1], 1 / 1024.0),
            Scaled(r[1][1], 1 / 1024.0), "MB", "< 50 MB", r[0][1].median < 50 * 1024);
    }

    if (parts.contains("totals")) {
        const QString million = folder("1e6", 1'000'000);
        const auto r = Interleaved(
            {{"totals", million}, {"scantotals", million}, {"sqltotals", million}}, rounds);
        Row("report totals over 1e6 rows (base: strtod scan)", r[0][0], r[1][0], "ms", "<= 1.3 x",
            r[0][0].median <= 1.3 * r[1][0].median);
        Row("the same sums in SQL, beside the scan", r[2][0], r[1][0], "ms", "", true);
    }

    if (parts.contains("preview")) {
        const auto small = Interleaved({{"preview", folder("1e4", 10'000)}}, rounds)[0];
        Row("preview open on 1e4 records", small[0], {}, "ms", "", true);
        const auto medium = Interleaved({{"preview", folder("1e5", 100'000)}}, rounds)[0];
        Row("preview open on 1e5 records", medium[0], {}, "ms", "", true);
        const auto preview = Interleaved({{"preview", folder("1e6", 1'000'000)}}, rounds)[0];
        Row("preview open on 1e6 records", preview[0], {}, "ms", "< 500 ms",
            preview[0].median < 500);
        Row("preview extra memory, 1e6 records", Scaled(preview[1], 1 / 1024.0), {}, "MB",
            "< 50 MB", preview[1].median < 50 * 1024);
    }

    if (parts.contains("pdf")) {
        const QString hundredK = folder("1e5", 100'000);
        const auto r = Interleaved({{"pdf", hundredK, work.filePath("ours.pdf")},
                                    {"qpainter", hundredK, work.filePath("floor.pdf")}},
                                   rounds);
        Row("PDF of 1e5 records", r[0][0], r[1][0], "ms", "<= 1.25 x",
            r[0][0].median <= 1.25 * r[1][0].median);
        Row("PDF peak memory", Scaled(r[0][1], 1 / 1024.0), Scaled(r[1][1], 1 / 1024.0), "MB",
            "< 80 MB", r[0][1].median < 80 * 1024);
    }

    if (parts.contains("spend")) {
        const QString million = folder("1e6", 1'000'000);
        const auto stats = Interleaved({{"statistics", million}}, rounds)[0];
        Row("statistics window open, 1e6 records", stats[0], {}, "ms", "< 100 ms",
            stats[0].median < 100);
        const auto summary = Interleaved({{"summary", program, million}}, rounds)[0];
        Row("--summary --json, 1e6 records (base: --version)", summary[0], summary[1], "ms",
            "< 50 ms", summary[0].median < 50);
    }

    if (parts.contains("poll")) {
        const auto poll = Interleaved({{"poll"}}, rounds)[0];
        Row("one poll, the bare address lookup", poll[0], {}, "us", "< 50 us",
            poll[0].median < 50);
        Row("one poll, every link (the default)", poll[1], poll[0], "us", "< 50 us",
            poll[1].median < 50);
        // The other modes count IPv6 too, and every interface's flags come with it: the two
        // netlink dumps of getifaddrs.
        Row("one poll, chosen links (four patterns)", poll[2], poll[0], "us", "", true);
        Row("one poll, metered links (flags in memory)", poll[3], poll[0], "us", "", true);
    }

    if (parts.contains("link")) {
        const auto scan = Interleaved({{"linkscan", folder("link", -1)}}, rounds)[0];
        Row("link dialog open, with its first scan", scan[0], {}, "ms", "", true);
        const QByteArray label = QStringLiteral("link dialog: one scan of %1 interfaces")
                                     .arg(scan[2].median)
                                     .toUtf8();
        Row(label.constData(), scan[1], {}, "ms", "", true);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    self = QCoreApplication::applicationFilePath();
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == "all" && args.size() >= 3)
        return All(args[1], args[2], args.mid(3));
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
    if (command == "statistics" && args.size() == 2)
        return Statistics(args[1]);
    if (command == "summary" && args.size() == 3)
        return Summary(args[1], args[2]);
    if (command == "totals" && args.size() == 2)
        return Totals(args[1]);
    if (command == "scantotals" && args.size() == 2)
        return ScanTotals(args[1]);
    if (command == "sqltotals" && args.size() == 2)
        return SqlTotals(args[1]);
    if (command == "append" && args.size() == 2)
        return Append(args[1]);
    if (command == "rawappend" && args.size() == 2)
        return RawAppend(args[1]);
    if (command == "grid" && args.size() == 2)
        return Grid(args[1]);
    if (command == "sqlgrid" && args.size() == 2)
        return SqlGrid(args[1]);
    if (command == "poll")
        return Poll();
    if (command == "linkscan" && args.size() == 2)
        return LinkScan(args[1]);
    std::fprintf(stderr, "usage: bench all PROGRAM MINIMAL | make DIR N | preview DIR | ...\n");
    return 2;
}
