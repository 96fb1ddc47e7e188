#include "RunningCopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
const QByteArray Ask = "show\n";
const QByteArray Answer = "ok\n";
} // namespace

QString RunningCopy::ChannelName(const QString& dataDirectory) {
    const QString folder = QDir(dataDirectory).canonicalPath();
    // The user's home in the key too: the channels of all users meet in one folder.
    const QByteArray key =
        (folder.isEmpty() ? dataDirectory : folder).toUtf8() + '\0' + QDir::homePath().toUtf8();
    return QStringLiteral("kelvora-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

bool RunningCopy::AskToShow(const QString& name, int waitMsecs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(waitMsecs))
        return false;
    socket.write(Ask);
    if (!socket.waitForBytesWritten(waitMsecs))
        return false;
    QByteArray said;
    while (!said.endsWith('\n') && said.size() < 16 && socket.waitForReadyRead(waitMsecs))
        said += socket.readAll();
    return said == Answer;
}

RunningCopy::RunningCopy(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->bytesAvailable() > 64) { // not one of ours
                    socket->abort();
                    return;
                }
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == Ask) {
                    if (show_)
                        show_();
                    socket->write(Answer);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

bool RunningCopy::Listen(const QString& name, std::function<void()> show) {
    show_ = std::move(show);
    if (server_->listen(name))
        return true;
    // Left by a copy that ended without closing it: this copy holds the folder's lock, so
    // no other listens there.
    QLocalServer::removeServer(name);
    return server_->listen(name);
}
