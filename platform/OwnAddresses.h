#pragma once
// The machine's own addresses, as the connection check reads them at every poll, and the
// network interfaces that hold them.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class AddressSource {
public:
    virtual ~AddressSource() = default;
    // Address texts in the system's order; nullopt when the machine's own name cannot be
    // resolved at all.
    virtual std::optional<QStringList> OwnAddresses() = 0;
};

// One network interface as the system reports it at this moment.
struct NetInterface {
    QString name; // without an address label's ":n"
    bool up = false;
    bool running = false; // has carrier: a cable in, a radio associated, a tun held open
    bool loopback = false;
    QStringList ipv4; // dotted texts, in the kernel's order
    QStringList ipv6; // global addresses only (no link-local, no loopback)
    int index = 0;    // the system's number for it; 0 when unknown
    // Bytes received and sent since the interface came to be, as of the system's last word
    // about the link (its state or flags changing, or a whole reading); 0 when unknown.
    quint64 rxBytes = 0;
    quint64 txBytes = 0;
    bool operator==(const NetInterface&) const = default;
};

class InterfaceSource {
public:
    virtual ~InterfaceSource() = default;
    // The interfaces in the kernel's order; nullopt when the system cannot be asked.
    // Without `withIpv6` only the interfaces that hold an IPv4 address are listed and their
    // ipv6 lists stay empty: the cheap question that every poll of the default mode asks.
    virtual std::optional<QList<NetInterface>> Interfaces(bool withIpv6) = 0;
    // Every interface, loopback included, with its traffic counters as they stand now, in
    // one question to the system; its addresses may be missing. Asked only where traffic is
    // counted. nullopt when the system cannot be asked or keeps no counters.
    virtual std::optional<QList<NetInterface>> Counters() { return std::nullopt; }
};

class InterfaceTable;

// On Linux, kept in memory and followed through the kernel's change messages, so that a
// lookup with nothing changed asks the system once; read the older way (a list of addresses
// and flags) when that cannot be had.
class SystemInterfaces final : public InterfaceSource {
public:
    SystemInterfaces();
    ~SystemInterfaces() override;
    std::optional<QList<NetInterface>> Interfaces(bool withIpv6) override;
    std::optional<QList<NetInterface>> Counters() override;

private:
    std::unique_ptr<InterfaceTable> table_;
};

// What the kind of an interface is judged by; read from the system for the link dialog only.
struct InterfaceFacts {
    int hardwareType = -1; // ARPHRD_* on Linux, -1 when unknown
    bool wireless = false;
    bool bridge = false;
    bool tun = false;      // a tun or tap device
    bool mobile = false;   // the system calls it a WWAN device
    bool physical = false; // backed by hardware rather than made by software
};
InterfaceFacts ReadInterfaceFacts(const QString& name);

// On Linux: the IPv4 addresses of the interfaces that are up, have carrier and are not
// loopback, in the kernel's order, or the single address 127.0.0.1 when there is none. That
// is what the Windows resolver answers for the machine's own host name, which the Windows
// build asks instead. (On Linux the host name itself resolves to a loopback address whatever
// the network does.)
class SystemAddresses final : public AddressSource {
public:
    std::optional<QStringList> OwnAddresses() override;

private:
    SystemInterfaces interfaces_;
};
