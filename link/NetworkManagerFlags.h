#pragma once
// The metered flags of NetworkManager, read over the system bus: each device's Metered
// property (the runtime state that its active connection profile decides), under both the
// device's own interface name and its IP interface (a modem's ttyUSB2 carries ppp0).
// Read once when NetworkManager appears, then kept up to date from its signals
// (DeviceAdded, DeviceRemoved, PropertiesChanged), so a poll asks nothing of the bus.
// Every question is sent without waiting and its answer taken when it comes: a manager that
// hangs delays its own flags, never the window. Until its first answer, it counts as absent.

#include "MeteredFlags.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <functional>
#include <optional>

class QDBusMessage;
class QDBusServiceWatcher;

class NetworkManagerFlags final : public QObject, public MeteredFlags {
    Q_OBJECT
public:
    explicit NetworkManagerFlags(QObject* parent = nullptr);

    // Watches NetworkManager from now on and asks for its devices; the flags are there once
    // it answers. Done by the first question otherwise.
    void Start();
    bool Answers() override;
    std::optional<Metered> FlagOf(const QString& interfaceName) override;

signals:
    // A device came, went or changed its flag; or NetworkManager started or stopped.
    void Changed();

private slots:
    void OnDeviceAdded(const QDBusMessage& message);
    void OnDeviceRemoved(const QDBusMessage& message);
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated, const QDBusMessage& message);

private:
    struct Device {
        QString interface;
        QString ipInterface;
        Metered metered = Metered::Unknown;
    };
    void ReadDevices();
    void ReadDevice(const QString& path);
    void Apply(Device& device, const QVariantMap& properties);
    // Sends the call; `done` gets its answer later, unless NetworkManager went or was read
    // afresh in between.
    void Ask(const QDBusMessage& call, std::function<void(const QDBusMessage& reply)> done);

    // Made by Start: even an unconnected one starts Qt's bus thread, which a program that
    // never asks for metered links has no use for.
    std::optional<QDBusConnection> bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool started_ = false;
    bool present_ = false;
    quint64 reading_ = 0; // counts the readings of the whole list; older answers are dropped
    QHash<QString, Device> devices_; // by object path
};
