#include "MachineFacts.h"

#include <QFile>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <unistd.h>

QString PrettyNameOf(const QByteArray& osRelease) {
    for (const QByteArray& raw : osRelease.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith("PRETTY_NAME="))
            continue;
        QByteArray value = line.mid(int(qstrlen("PRETTY_NAME=")));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        value.replace("\\\"", "\"").replace("\\\\", "\\");
        return QString::fromUtf8(value);
    }
    return {};
}

QString OwnerFrom(const QString& gecos, const QString& login) {
    const QString name = gecos.section(QLatin1Char(','), 0, 0).trimmed();
    return name.isEmpty() ? login : name;
}

QString SystemFacts::OperatingSystem() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            const QString name = PrettyNameOf(file.readAll());
            if (!name.isEmpty())
                return name;
        }
    }
    return QStringLiteral("Linux");
}

quint64 SystemFacts::PhysicalMemoryBytes() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return 0;
    return quint64(info.totalram) * info.mem_unit;
}

QString SystemFacts::RegisteredOwner() {
    const passwd* account = getpwuid(getuid());
    if (!account)
        return {};
    return OwnerFrom(QString::fromLocal8Bit(account->pw_gecos),
                     QString::fromLocal8Bit(account->pw_name));
}
