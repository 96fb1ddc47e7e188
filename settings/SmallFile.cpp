#include "SmallFile.h"

#include "platform/FileKind.h"

#include <QFile>
#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

SmallFile ReadSmallFile(const QString& path, qint64 limit) {
    SmallFile read;
    // Looked at before it is opened: opening a device or a pipe may already wait or act.
    const FileFacts facts = FactsOf(path);
    if (facts.kind == FileKind::Missing)
        return read;
    if (facts.kind != FileKind::Regular) {
        read.state = SmallFile::State::NotAFile;
        read.error = facts.kind == FileKind::Directory ? QStringLiteral("это папка") : QString();
        return read;
    }
    QFile file;
#ifndef _WIN32
    // Without waiting, and looked at again once open: the name may have been given to a pipe
    // in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        read.state = errno == ENOENT ? SmallFile::State::Missing : SmallFile::State::Unreadable;
        read.error = QString::fromLocal8Bit(std::strerror(errno));
        return read;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        read.state = SmallFile::State::NotAFile;
        return read;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
#endif
        read.state = SmallFile::State::Unreadable;
        read.error = file.errorString();
        return read;
    }
    read.bytes = file.read(limit + 1);
    if (read.bytes.size() > limit) {
        read.state = SmallFile::State::TooLarge;
        read.bytes.truncate(limit);
    } else {
        read.state = SmallFile::State::Read;
    }
    return read;
}

QString SmallFile::Why(qint64 limit) const {
    switch (state) {
    case State::NotAFile:
        return error.isEmpty() ? QStringLiteral("это не обычный файл (канал, устройство или "
                                                "сокет), и он не открывается")
                               : error;
    case State::TooLarge:
        return QStringLiteral("он больше %1 КБ, а настройки занимают несколько строк")
            .arg(limit / 1024);
    case State::Unreadable:
        return error;
    case State::Missing:
    case State::Read:
        break;
    }
    return {};
}
