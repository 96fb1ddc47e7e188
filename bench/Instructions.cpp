#include "Instructions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

bool HaveCallgrind() {
    return !QStandardPaths::findExecutable(QStringLiteral("valgrind")).isEmpty();
}

double Instructions(const QStringList& command, const QString& dir, bool marked,
                    const QProcessEnvironment& env) {
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("callgrind.out"));
    QStringList arguments = {QStringLiteral("--tool=callgrind"), QStringLiteral("-q"),
                             QStringLiteral("--callgrind-out-file=") + file};
    if (marked)
        arguments << QStringLiteral("--collect-atstart=no");
    QProcess child;
    child.setWorkingDirectory(dir);
    child.setProcessEnvironment(env);
    child.start(QStringLiteral("valgrind"), arguments + command);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit)
        return -1;
    QFile counts(file);
    if (!counts.open(QIODevice::ReadOnly))
        return -1;
    // "summary: N" for a whole run, "totals: N" as well; either holds the instructions.
    double total = -1;
    while (!counts.atEnd()) {
        const QByteArray line = counts.readLine();
        if (line.startsWith("summary:") || line.startsWith("totals:"))
            total = line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble();
    }
    return total;
}

void LoadFonts() {
    (void)QFontDatabase::families();
    QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setFont(QApplication::font());
    painter.drawText(2, 20, QStringLiteral("0123456789:,. Дата Начало Итого Тариф Сумма"));
}

QString FontCacheStamp() {
    QStringList folders = {QDir::homePath() + QStringLiteral("/.cache/fontconfig"),
                           QStringLiteral("/var/cache/fontconfig")};
    if (const QString cache = qEnvironmentVariable("XDG_CACHE_HOME"); !cache.isEmpty())
        folders << cache + QStringLiteral("/fontconfig");
    QStringList stamp;
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        stamp << folder + QLatin1Char(' ') +
                     QString::number(info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0);
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
            stamp << file.fileName() + QLatin1Char(' ') +
                         QString::number(file.lastModified().toMSecsSinceEpoch());
    }
    return stamp.join(QLatin1Char('\n'));
}
