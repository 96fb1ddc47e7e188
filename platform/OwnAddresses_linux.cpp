#include "OwnAddresses.h"

#include "InterfaceTable_linux.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <vector>

namespace {
// "eth0:1", an address label, is eth0.
QString BaseName(const char* name) {
    const QString text = QString::fromLocal8Bit(name);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    return colon < 0 ? text : text.left(colon);
}

NetInterface& Entry(QList<NetInterface>& list, const QString& name) {
    for (NetInterface& each : list)
        if (each.name == name)
            return each;
    NetInterface entry;
    entry.name = name;
    list.append(entry);
    return list.last();
}

void SetFlags(NetInterface& entry, unsigned flags) {
    entry.up = flags & IFF_UP;
    entry.running = flags & IFF_RUNNING;
    entry.loopback = flags & IFF_LOOPBACK;
}

// Entries the address list was last read into whole; the list rarely changes its length, so
// the next poll asks once with this room. Only ever grows.
std::atomic<int> ListRoom{64};
constexpr int MostEntries = 1 << 20;

// The IPv4 addresses, one ifreq each. The kernel fills what room it is given and drops the
// rest without a word, so a full answer is asked again with twice the room: only an answer
// with an entry to spare is whole. The count of entries, or -1.
int ReadAddressList(int fd, std::vector<ifreq>& requests) {
    for (int room = ListRoom.load(std::memory_order_relaxed);; room *= 2) {
        requests.resize(size_t(room));
        ifconf conf{};
        conf.ifc_len = room * int(sizeof(ifreq));
        conf.ifc_req = requests.data();
        if (::ioctl(fd, SIOCGIFCONF, &conf) < 0)
            return -1;
        const int count = conf.ifc_len / int(sizeof(ifreq));
        if (count < room) {
            if (room > ListRoom.load(std::memory_order_relaxed))
                ListRoom.store(room, std::memory_order_relaxed);
            return count;
        }
        if (room >= MostEntries)
            return -1; // not a list any machine holds
    }
}

// SIOCGIFCONF (the IPv4 addresses, in the kernel's order) and SIOCGIFFLAGS: a handful of
// system calls, against the two netlink dumps that getifaddrs makes.
std::optional<QList<NetInterface>> Ipv4Interfaces() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    thread_local std::vector<ifreq> requests; // kept: no allocation at each poll
    const int count = ReadAddressList(fd, requests);
    if (count < 0) {
        ::close(fd);
        return std::nullopt;
    }
    QList<NetInterface> list;
    for (int i = 0; i < count; ++i) {
        ifreq& request = requests[i];
        if (request.ifr_addr.sa_family != AF_INET)
            continue;
        const in_addr address = reinterpret_cast<const sockaddr_in*>(&request.ifr_addr)->sin_addr;
        ifreq flags = request;
        if (::ioctl(fd, SIOCGIFFLAGS, &flags) < 0)
            continue; // gone between the two questions
        char text[INET_ADDRSTRLEN] = {};
        if (!inet_ntop(AF_INET, &address, text, sizeof text))
            continue;
        NetInterface& entry = Entry(list, BaseName(request.ifr_name));
        SetFlags(entry, unsigned(flags.ifr_flags) & 0xffff);
        entry.ipv4 << QString::fromLatin1(text);
    }
    ::close(fd);
    return list;
}

// Every interface, with or without addresses, and its global IPv6 addresses as well.
std::optional<QList<NetInterface>> AllInterfaces() {
    ifaddrs* first = nullptr;
    if (::getifaddrs(&first) != 0)
        return std::nullopt;
    QList<NetInterface> list;
    for (const ifaddrs* each = first; each; each = each->ifa_next) {
        NetInterface& entry = Entry(list, BaseName(each->ifa_name));
        SetFlags(entry, each->ifa_flags);
        if (!each->ifa_addr)
            continue;
        if (each->ifa_addr->sa_family == AF_INET) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* address = reinterpret_cast<const sockaddr_in*>(each->ifa_addr);
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text))
                entry.ipv4 << QString::fromLatin1(text);
        } else if (each->ifa_addr->sa_family == AF_INET6) {
            char text[INET6_ADDRSTRLEN] = {};
            const auto* address = reinterpret_cast<const sockaddr_in6*>(each->ifa_addr);
            if (GlobalIpv6(address->sin6_addr) &&
                inet_ntop(AF_INET6, &address->sin6_addr, text, sizeof text))
                entry.ipv6 << QString::fromLatin1(text);
        }
    }
    ::freeifaddrs(first);
    return list;
}

QByteArray SysFile(const QString& name, const char* file) {
    QFile f(QStringLiteral("/sys/class/net/%1/%2").arg(name, QString::fromLatin1(file)));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

// The counters as sysfs shows them, without addresses: many files for each interface, so
// only where the routing socket cannot be had. (sysfs shows the namespace it was mounted in.)
std::optional<QList<NetInterface>> SysCounters() {
    const QStringList names =
        QDir(QStringLiteral("/sys/class/net")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (names.isEmpty())
        return std::nullopt;
    QList<NetInterface> list;
    for (const QString& name : names) {
        NetInterface entry;
        entry.name = name;
        bool index = false, flags = false, rx = false, tx = false;
        entry.index = SysFile(name, "ifindex").toInt(&index);
        SetFlags(entry, SysFile(name, "flags").toUInt(&flags, 0)); // "0x1003"
        // Carrier is not among these flags: the kernel's own rule, from the state.
        const QByteArray state = SysFile(name, "operstate");
        entry.running = entry.up && (state == "up" || state == "unknown");
        entry.rxBytes = SysFile(name, "statistics/rx_bytes").toULongLong(&rx);
        entry.txBytes = SysFile(name, "statistics/tx_bytes").toULongLong(&tx);
        if (index && flags && rx && tx)
            list << entry; // else gone while it was read
    }
    return list;
}
} // namespace

SystemInterfaces::SystemInterfaces() : table_(std::make_unique<InterfaceTable>()) {}
SystemInterfaces::~SystemInterfaces() = default;

std::optional<QList<NetInterface>> SystemInterfaces::Interfaces(bool withIpv6) {
    if (auto held = table_->Interfaces(withIpv6))
        return held;
    return withIpv6 ? AllInterfaces() : Ipv4Interfaces();
}

std::optional<QList<NetInterface>> SystemInterfaces::Counters() {
    if (auto fresh = table_->Counters())
        return fresh;
    return SysCounters();
}

InterfaceFacts ReadInterfaceFacts(const QString& name) {
    InterfaceFacts facts;
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return facts;
    const QString dir = QStringLiteral("/sys/class/net/") + name;
    bool ok = false;
    const int type = SysFile(name, "type").toInt(&ok);
    facts.hardwareType = ok ? type : -1;
    facts.wireless = QFileInfo::exists(dir + QStringLiteral("/wireless")) ||
                     QFileInfo::exists(dir + QStringLiteral("/phy80211"));
    facts.bridge = QFileInfo::exists(dir + QStringLiteral("/bridge"));
    facts.tun = QFileInfo::exists(dir + QStringLiteral("/tun_flags"));
    facts.physical = QFileInfo::exists(dir + QStringLiteral("/device"));
    facts.mobile = SysFile(name, "uevent").contains("DEVTYPE=wwan");
    return facts;
}

std::optional<QStringList> SystemAddresses::OwnAddresses() {
    const auto list = interfaces_.Interfaces(false);
    if (!list)
        return std::nullopt;
    QStringList addresses;
    for (const NetInterface& each : *list)
        if (each.up && each.running && !each.loopback)
            addresses << each.ipv4;
    if (addresses.isEmpty())
        addresses << QStringLiteral("127.0.0.1");
    return addresses;
}
