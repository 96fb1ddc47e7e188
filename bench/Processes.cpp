#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QThread>
#include <chrono>
#include <csignal>
#include <memory>
#include <vector>

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

namespace {
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
} // namespace

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
