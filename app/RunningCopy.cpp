#include "RunningCopy.h"

#include <QCryptographicHash>
#include <QDir>

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
    return LocalChannel::Ask(name, Ask, waitMsecs) == Answer;
}

RunningCopy::RunningCopy(QObject* parent) : QObject(parent) {}

bool RunningCopy::Listen(const QString& name, std::function<void()> show) {
    return channel_.Listen(name, [show = std::move(show)](const QByteArray& line) {
        if (line != Ask)
            return QByteArray();
        show();
        return Answer;
    });
}
