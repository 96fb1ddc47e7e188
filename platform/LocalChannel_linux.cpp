#include "LocalChannel.h"

#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A caller that connects and then says nothing is dropped after this.
constexpr int IdleMsecs = 5000;

// The socket's address: the runtime folder is the user's own (0700), made if missing.
bool AddressOf(const QString& name, sockaddr_un& address, QByteArray* path = nullptr) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QByteArray file = QFile::encodeName(folder + QLatin1Char('/') + name);
    if (folder.isEmpty() || file.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, file.constData(), size_t(file.size()));
    if (path)
        *path = file;
    return true;
}

// Waits for `events` on `fd` until `deadline`; false on a timeout or an error.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd one{fd, events, 0};
        const int ready = ::poll(&one, 1, int(left.count()));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// One caller: its line read as it comes, answered once whole, then closed.
class Caller final : public QObject {
public:
    Caller(int fd, const LocalChannel::Answer& answer, QObject* parent)
        : QObject(parent), fd_(fd), answer_(answer), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
        QTimer::singleShot(IdleMsecs, this, [this] { Close(); });
    }
    ~Caller() override {
        if (fd_ >= 0)
            ::close(fd_);
    }

private:
    void Read() {
        char buffer[LocalChannel::LongestLine + 1];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got <= 0)
            return Close();
        line_.append(buffer, got);
        if (line_.size() > LocalChannel::LongestLine)
            return Close(); // not one of ours
        if (!line_.endsWith('\n'))
            return;
        const QByteArray said = answer_ ? answer_(line_) : QByteArray();
        // A short answer fits the socket's buffer: sent whole or not at all.
        if (!said.isEmpty()) [[maybe_unused]]
            const auto sent =
                ::send(fd_, said.constData(), size_t(said.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        Close();
    }
    void Close() {
        notifier_.setEnabled(false);
        deleteLater();
    }

    int fd_;
    const LocalChannel::Answer& answer_;
    QSocketNotifier notifier_;
    QByteArray line_;
};
} // namespace

struct LocalChannel::Listener {
    int fd = -1;
    QByteArray path;
    Answer answer;
    QSocketNotifier* notifier = nullptr;

    ~Listener() {
        delete notifier;
        if (fd < 0)
            return;
        ::close(fd);
        ::unlink(path.constData());
    }
};

LocalChannel::LocalChannel(QObject* parent) : QObject(parent) {}

LocalChannel::~LocalChannel() = default;

bool LocalChannel::Listen(const QString& name, Answer answer) {
    sockaddr_un address;
    auto listener = std::make_unique<Listener>();
    if (!AddressOf(name, address, &listener->path))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto bind = [&] {
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    // A socket file left by a copy that ended without removing it: this process holds the
    // name's lock, so nobody else listens there.
    if (!bind() && !(errno == EADDRINUSE && ::unlink(address.sun_path) == 0 && bind())) {
        ::close(fd);
        return false;
    }
    listener->fd = fd;
    if (::listen(fd, 8) != 0)
        return false; // the listener removes the file it bound
    listener->answer = std::move(answer);
    listener->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    Listener& self = *listener;
    connect(listener->notifier, &QSocketNotifier::activated, this, [this, &self] {
        for (;;) {
            const int caller = ::accept4(self.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (caller < 0)
                return;
            new Caller(caller, self.answer, this);
        }
    });
    listener_ = std::move(listener);
    return true;
}

QByteArray LocalChannel::Ask(const QString& name, const QByteArray& line, int waitMsecs) {
    sockaddr_un address;
    if (line.size() > LongestLine || !AddressOf(name, address))
        return {};
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMsecs);
    // A listener whose queue is full keeps the connection waiting, at most this long.
    const timeval wait{waitMsecs / 1000, (waitMsecs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    QByteArray said;
    const int connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (connected == 0 &&
        ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size()) {
        char buffer[LongestLine];
        while (!said.endsWith('\n') && said.size() < LongestLine && WaitFor(fd, POLLIN, deadline)) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got <= 0 && !(got < 0 && (errno == EAGAIN || errno == EINTR)))
                break;
            if (got > 0)
                said.append(buffer, got);
        }
    }
    ::close(fd);
    return said.endsWith('\n') ? said : QByteArray();
}
