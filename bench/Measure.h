#pragma once
// Wall time and the process's memory, as the benchmarks report them.

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

// Resident memory now and at its peak, in kilobytes, from /proc/self/status.
inline qint64 StatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QString text = QString::fromLatin1(status.readAll());
    const auto match =
        QRegularExpression(QStringLiteral("%1:\\s+(\\d+)").arg(QLatin1String(field))).match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}
inline qint64 RssKb() {
    return StatusKb("VmRSS");
}
inline qint64 PeakKb() {
    return StatusKb("VmHWM");
}

template <typename F> double Millis(F&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}
