#include "OwnAddresses.h"

#include <winsock2.h>

// After winsock2.h, in this order.
#include <ws2ipdef.h>

#include <iphlpapi.h>

// The resolver's list for the machine's own host name; a dial-up link adds its address
// to it while it is up.
std::optional<QStringList> SystemAddresses::OwnAddresses() {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    const hostent* host = gethostbyname(name);
    if (!host) {
        WSACleanup();
        return std::nullopt;
    }
    QStringList addresses;
    for (char** entry = host->h_addr_list; *entry; ++entry) {
        in_addr address;
        memcpy(&address, *entry, sizeof address);
        addresses << QString::fromLatin1(inet_ntoa(address)); // copied at once
    }
    WSACleanup();
    return addresses;
}

class InterfaceTable {};
SystemInterfaces::SystemInterfaces() = default;
SystemInterfaces::~SystemInterfaces() = default;

// The resolver knows no interfaces: its addresses stand as one that is always up, so the
// default mode answers as the resolver does; choosing interfaces by name needs the Linux build.
std::optional<QList<NetInterface>> SystemInterfaces::Interfaces(bool) {
    SystemAddresses resolver;
    const auto addresses = resolver.OwnAddresses();
    if (!addresses)
        return std::nullopt;
    NetInterface host{QStringLiteral("host"), true, true, false};
    for (const QString& address : *addresses)
        if (address != QStringLiteral("127.0.0.1"))
            host.ipv4 << address;
    return QList<NetInterface>{host};
}

// Every interface by its alias ("Ethernet", "Wi-Fi"), as the chosen mode names it, with its
// 64-bit counters. Filter drivers' rows repeat their adapter's counters and are passed over.
std::optional<QList<NetInterface>> SystemInterfaces::Counters() {
    MIB_IF_TABLE2* table = nullptr;
    if (GetIfTable2(&table) != NO_ERROR)
        return std::nullopt;
    QList<NetInterface> list;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IF_ROW2& row = table->Table[i];
        if (row.InterfaceAndOperStatusFlags.FilterInterface)
            continue;
        NetInterface entry;
        entry.name = QString::fromWCharArray(row.Alias);
        entry.index = int(row.InterfaceIndex);
        entry.up = row.AdminStatus == NET_IF_ADMIN_STATUS_UP;
        entry.running = row.OperStatus == IfOperStatusUp;
        entry.loopback = row.Type == IF_TYPE_SOFTWARE_LOOPBACK;
        entry.rxBytes = row.InOctets;
        entry.txBytes = row.OutOctets;
        list << entry;
    }
    FreeMibTable(table);
    return list;
}

InterfaceFacts ReadInterfaceFacts(const QString&) {
    return {};
}
