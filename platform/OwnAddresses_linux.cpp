#include "OwnAddresses.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

// Asked afresh at every call through SIOCGIFCONF (the IPv4 addresses, in the kernel's order)
// and SIOCGIFFLAGS (up, loopback): a handful of system calls, against the two netlink
// dumps that getifaddrs makes.
std::optional<QStringList> SystemAddresses::OwnAddresses() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    ifreq requests[64];
    ifconf conf{};
    conf.ifc_len = sizeof requests;
    conf.ifc_req = requests;
    if (::ioctl(fd, SIOCGIFCONF, &conf) < 0) {
        ::close(fd);
        return std::nullopt;
    }
    QStringList addresses;
    const int count = conf.ifc_len / int(sizeof(ifreq));
    for (int i = 0; i < count; ++i) {
        ifreq& request = requests[i];
        if (request.ifr_addr.sa_family != AF_INET)
            continue;
        const in_addr address = reinterpret_cast<const sockaddr_in*>(&request.ifr_addr)->sin_addr;
        ifreq flags = request;
        if (::ioctl(fd, SIOCGIFFLAGS, &flags) < 0)
            continue;
        if (!(flags.ifr_flags & IFF_UP) || (flags.ifr_flags & IFF_LOOPBACK))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address, text, sizeof text))
            addresses << QString::fromLatin1(text);
    }
    ::close(fd);
    if (addresses.isEmpty())
        addresses << QStringLiteral("127.0.0.1");
    return addresses;
}
