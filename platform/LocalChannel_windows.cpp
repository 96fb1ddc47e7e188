#include "LocalChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

// Qt's local socket is a named pipe here; the server's pipe admits the same user only.

namespace {
constexpr int IdleMsecs = 5000;
} // namespace

struct LocalChannel::Listener {
    QLocalServer* server = nullptr;
    Answer answer;
};

LocalChannel::LocalChannel(QObject* parent) : QObject(parent) {}

LocalChannel::~LocalChannel() = default;

bool LocalChannel::Listen(const QString& name, Answer answer) {
    auto listener = std::make_unique<Listener>();
    listener->server = new QLocalServer(this);
    listener->server->setSocketOptions(QLocalServer::UserAccessOption);
    listener->answer = std::move(answer);
    Listener& self = *listener;
    connect(self.server, &QLocalServer::newConnection, this, [&self] {
        while (QLocalSocket* caller = self.server->nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            QTimer::singleShot(IdleMsecs, caller, [caller] { caller->abort(); });
            connect(caller, &QLocalSocket::readyRead, caller, [&self, caller] {
                if (caller->bytesAvailable() > LongestLine)
                    return caller->abort(); // not one of ours
                if (!caller->canReadLine())
                    return;
                const QByteArray said =
                    self.answer ? self.answer(caller->readLine()) : QByteArray();
                if (!said.isEmpty()) {
                    caller->write(said);
                    caller->flush();
                }
                caller->disconnectFromServer();
            });
        }
    });
    if (!self.server->listen(name)) {
        QLocalServer::removeServer(name);
        if (!self.server->listen(name)) {
            delete self.server;
            return false;
        }
    }
    listener_ = std::move(listener);
    return true;
}

QByteArray LocalChannel::Ask(const QString& name, const QByteArray& line, int waitMsecs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (line.size() > LongestLine || !socket.waitForConnected(waitMsecs))
        return {};
    socket.write(line);
    if (!socket.waitForBytesWritten(waitMsecs))
        return {};
    QByteArray said;
    while (!said.endsWith('\n') && said.size() < LongestLine && socket.waitForReadyRead(waitMsecs))
        said += socket.readAll();
    return said.endsWith('\n') ? said : QByteArray();
}
