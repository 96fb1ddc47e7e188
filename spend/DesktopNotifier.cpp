#include "DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

DesktopNotifier::DesktopNotifier(Fallback fallback, QObject* parent)
    : QObject(parent), fallback_(std::move(fallback)) {}

void DesktopNotifier::Notify(const QString& title, const QString& text) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto fallBack = [this, title, text] {
        if (fallback_)
            fallback_(title, text);
        emit FellBack(title);
    };
    if (!bus.isConnected()) {
        fallBack();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app name, replaces id, icon, summary, body, actions, hints, timeout (-1: the server's)
    call << QStringLiteral("Kelvora") << uint(0) << QStringLiteral("kelvora") << title << text
         << QStringList() << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}}
         << int(-1);
    // A service that is slow to start still answers in time; one that never does is not
    // waited for long.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, fallBack](QDBusPendingCallWatcher*) {
                const QDBusPendingReply<uint> reply = *watcher;
                watcher->deleteLater();
                if (reply.isError())
                    fallBack();
                else
                    emit Shown(reply.value());
            });
}
