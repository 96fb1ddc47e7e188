#include "OwnAddresses.h"

#include <winsock2.h>

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

InterfaceFacts ReadInterfaceFacts(const QString&) {
    return {};
}
