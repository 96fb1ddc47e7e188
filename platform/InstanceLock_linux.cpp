#include "InstanceLock.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

InstanceLock::InstanceLock(const QString& path) : path_(path) {}

InstanceLock::~InstanceLock() {
    if (handle_ >= 0)
        ::close(int(handle_)); // the kernel drops the lock with the last descriptor
}

InstanceLock::State InstanceLock::TryTake() {
    if (handle_ >= 0)
        return State::Taken;
    const QByteArray name = QFile::encodeName(path_);
    // Never through a link, and never anything but an ordinary file: the process id is
    // written over what the file holds, which must not be someone else's file.
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | flags, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(name.constData(), O_RDONLY | flags); // flock needs no write access
    if (fd < 0) {
        error_ = errno == ELOOP ? QStringLiteral("это символьная ссылка, а не обычный файл")
                                : QString::fromLocal8Bit(std::strerror(errno));
        return State::Unavailable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error_ = QStringLiteral("это не обычный файл");
        return State::Unavailable;
    }
    // flock, not fcntl: its lock belongs to this open file, so no other descriptor of the
    // process (a library opening the same file) can let it go by closing.
    int taken;
    do
        taken = ::flock(fd, LOCK_EX | LOCK_NB);
    while (taken != 0 && errno == EINTR);
    if (taken != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK)
            return State::HeldByAnother;
        error_ = QString::fromLocal8Bit(std::strerror(why));
        return State::Unavailable;
    }
    handle_ = fd;
    // The process id for whoever looks; the lock itself does not depend on it.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    return State::Taken;
}
