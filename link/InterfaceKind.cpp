#include "InterfaceKind.h"

namespace {
// ARPHRD_* numbers of the Linux headers that tell a kind on their own.
constexpr int Ether = 1, Ppp = 512, Tunnel = 768, Tunnel6 = 769, Sit = 776, IpGre = 778,
              None = 65534;

bool Starts(const QString& name, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes)
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}
} // namespace

QString InterfaceKind(const QString& name, bool loopback, const InterfaceFacts& facts) {
    if (loopback)
        return QStringLiteral("внутренний (loopback)");
    if (facts.mobile || Starts(name, {"wwan", "wwp", "rmnet"}))
        return QStringLiteral("мобильная связь");
    if (facts.hardwareType == Ppp || Starts(name, {"ppp"}))
        return QStringLiteral("PPP");
    if (facts.wireless || Starts(name, {"wl"}))
        return QStringLiteral("Wi-Fi");
    if (facts.bridge || Starts(name, {"docker", "virbr", "br-", "lxcbr", "veth", "vnet"}))
        return QStringLiteral("виртуальный мост");
    if (facts.tun || Starts(name, {"tun", "tap", "wg", "vpn", "ipsec"}) ||
        facts.hardwareType == Tunnel || facts.hardwareType == Tunnel6 ||
        facts.hardwareType == Sit || facts.hardwareType == IpGre || facts.hardwareType == None)
        return QStringLiteral("VPN/туннель");
    if (facts.hardwareType == Ether || Starts(name, {"eth", "en", "usb"}))
        return facts.physical || facts.hardwareType != Ether ? QStringLiteral("Ethernet")
                                                             : QStringLiteral("виртуальный");
    return QStringLiteral("другое");
}
