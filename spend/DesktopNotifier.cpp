#include "DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

DesktopNotifier::DesktopNotifier(Fallback fallback, QObject* parent)
    : QObject(parent), fallback_(std::move(fallback)) {}

void DesktopNotifier::Notify(const QString& title, const QString& text, const QString& group,
                             bool critical) {
    const auto fallBack = [this, title, text] {
        if (fallback_)
            fallback_(title, text);
        emit FellBack(title);
    };
    // With no session bus named nor at its usual place, asking for one would have one
    // started through the X server (autolaunch), waited for on the window's thread: the
    // fallback serves at once instead.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus")))) {
        fallBack();
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallBack();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // The desktop entry lets the desktop show the program's name and icon and its own
    // settings for the program's notifications.
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(critical ? 2 : 1))},
        {QStringLiteral("desktop-entry"), QStringLiteral("org.kelvora.Kelvora")}};
    // app name, replaces id, icon, summary, body, actions, hints, timeout (-1: the server's)
    call << QStringLiteral("Kelvora") << (group.isEmpty() ? uint(0) : lastShown_.value(group))
         << QStringLiteral("kelvora") << title << text << QStringList() << hints << int(-1);
    // A service that is slow to start still answers in time; one that never does is not
    // waited for long.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, fallBack, group](QDBusPendingCallWatcher*) {
                const QDBusPendingReply<uint> reply = *watcher;
                watcher->deleteLater();
                if (reply.isError()) {
                    fallBack();
                    return;
                }
                if (!group.isEmpty())
                    lastShown_[group] = reply.value();
                emit Shown(reply.value());
            });
}
