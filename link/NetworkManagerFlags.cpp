#include "NetworkManagerFlags.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <utility>

namespace {
const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString DeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
// A manager that does not answer within this is taken as absent until its next signal.
constexpr int CallTimeoutMsecs = 2000;
} // namespace

NetworkManagerFlags::NetworkManagerFlags(QObject* parent) : QObject(parent) {}

void NetworkManagerFlags::Start() {
    if (started_)
        return;
    started_ = true;
    bus_ = QDBusConnection::systemBus();
    if (!bus_->isConnected())
        return; // no system bus: no network manager to ask, now or later
    watcher_ = new QDBusServiceWatcher(Service, *bus_,
                                       QDBusServiceWatcher::WatchForRegistration |
                                           QDBusServiceWatcher::WatchForUnregistration,
                                       this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { ReadDevices(); });
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        ++reading_; // answers still on their way are the gone manager's
        present_ = false;
        devices_.clear();
        emit Changed();
    });
    // The argument is read from the message: a slot taking a QDBusObjectPath is refused
    // by Qt 6.4's signal hook.
    bus_->connect(Service, ManagerPath, ManagerInterface, QStringLiteral("DeviceAdded"), this,
                  SLOT(OnDeviceAdded(QDBusMessage)));
    bus_->connect(Service, ManagerPath, ManagerInterface, QStringLiteral("DeviceRemoved"), this,
                  SLOT(OnDeviceRemoved(QDBusMessage)));
    // Every object of the service: the devices' paths are not known in advance.
    bus_->connect(Service, QString(), Properties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    // Whether it runs already, asked of the bus itself; its answer reads the devices.
    QDBusMessage running = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    running << Service;
    Ask(running, [this](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool())
            ReadDevices();
    });
}

void NetworkManagerFlags::Ask(const QDBusMessage& call,
                              std::function<void(const QDBusMessage& reply)> done) {
    QDBusMessage message = call;
    message.setAutoStartService(false); // a question never starts NetworkManager
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(message, CallTimeoutMsecs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, reading = reading_, done = std::move(done)] {
                watcher->deleteLater();
                if (reading == reading_)
                    done(watcher->reply());
            });
}

void NetworkManagerFlags::ReadDevices() {
    ++reading_; // what was asked before answers for a list that this one replaces
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ManagerPath, ManagerInterface,
                                                       QStringLiteral("GetDevices"));
    Ask(call, [this](const QDBusMessage& message) {
        const QDBusReply<QList<QDBusObjectPath>> reply(message);
        devices_.clear();
        present_ = reply.isValid();
        if (present_)
            for (const QDBusObjectPath& path : reply.value()) {
                devices_.insert(path.path(), Device());
                ReadDevice(path.path());
            }
        emit Changed();
    });
}

void NetworkManagerFlags::ReadDevice(const QString& path) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, path, Properties, QStringLiteral("GetAll"));
    call << DeviceInterface;
    Ask(call, [this, path](const QDBusMessage& message) {
        const QDBusReply<QVariantMap> reply(message);
        const auto device = devices_.find(path);
        if (!reply.isValid() || device == devices_.end())
            return; // gone already; DeviceRemoved follows or came
        Apply(*device, reply.value());
        emit Changed();
    });
}

void NetworkManagerFlags::Apply(Device& device, const QVariantMap& properties) {
    if (properties.contains(QStringLiteral("Interface")))
        device.interface = properties.value(QStringLiteral("Interface")).toString();
    if (properties.contains(QStringLiteral("IpInterface")))
        device.ipInterface = properties.value(QStringLiteral("IpInterface")).toString();
    if (properties.contains(QStringLiteral("Metered"))) {
        const uint value = properties.value(QStringLiteral("Metered")).toUInt();
        device.metered = value <= uint(Metered::GuessNo) ? Metered(value) : Metered::Unknown;
    }
}

namespace {
QString PathArgument(const QDBusMessage& message) {
    return message.arguments().value(0).value<QDBusObjectPath>().path();
}
} // namespace

void NetworkManagerFlags::OnDeviceAdded(const QDBusMessage& message) {
    const bool answered = std::exchange(present_, true);
    const QString path = PathArgument(message);
    if (!devices_.contains(path))
        devices_.insert(path, Device()); // its flag once its properties are read
    ReadDevice(path);
    if (!answered)
        emit Changed();
}

void NetworkManagerFlags::OnDeviceRemoved(const QDBusMessage& message) {
    if (devices_.remove(PathArgument(message)))
        emit Changed();
}

void NetworkManagerFlags::OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                              const QStringList& invalidated,
                                              const QDBusMessage& message) {
    if (interface != DeviceInterface)
        return;
    const auto device = devices_.find(message.path());
    if (device == devices_.end())
        return; // not announced yet: DeviceAdded reads it whole
    Apply(*device, changed);
    if (!invalidated.isEmpty())
        ReadDevice(message.path());
    emit Changed();
}

bool NetworkManagerFlags::Answers() {
    Start();
    return present_;
}

std::optional<Metered> NetworkManagerFlags::FlagOf(const QString& interfaceName) {
    Start();
    // The IP interface first: while a modem dials, ppp0 is the link that carries traffic.
    for (const Device& device : std::as_const(devices_))
        if (device.ipInterface == interfaceName)
            return device.metered;
    for (const Device& device : std::as_const(devices_))
        if (device.interface == interfaceName)
            return device.metered;
    return std::nullopt;
}
