#include "LinkFilter.h"

const QStringList UsualPaidLinks = {QStringLiteral("ppp*"), QStringLiteral("wwan*"),
                                    QStringLiteral("wwp*")};

namespace {
bool MeteredLink(const QString& name, MeteredFlags& metered) {
    if (!metered.Answers()) {
        static const LinkChoice usual(LinkMode::Chosen, UsualPaidLinks);
        return usual.Lists(name);
    }
    const std::optional<Metered> flag = metered.FlagOf(name);
    return flag && CountsAsMetered(*flag);
}

// An IPv6 address of the Internet, by its text: not unique local (fc00::/7, which a home
// router hands out whether or not there is a link beyond it), link-local, site-local,
// multicast, nor one that starts with "::" (loopback, unspecified, IPv4 within).
bool InternetIpv6(const QString& text) {
    bool ok = false;
    const uint group = text.section(QLatin1Char(':'), 0, 0).toUInt(&ok, 16);
    if (!ok || group > 0xffff)
        return false;
    return (group & 0xfe00) != 0xfc00 && (group & 0xffc0) != 0xfe80 && (group & 0xffc0) != 0xfec0 &&
           (group & 0xff00) != 0xff00;
}
} // namespace

bool FitsMode(const QString& name, const LinkChoice& choice, MeteredFlags& metered) {
    switch (choice.mode()) {
    case LinkMode::All:
        return true;
    case LinkMode::Chosen:
        return choice.Lists(name);
    case LinkMode::Metered:
        return MeteredLink(name, metered);
    }
    return false;
}

bool Counts(const NetInterface& link, const LinkChoice& choice, MeteredFlags& metered) {
    // A static address on an adapter without its cable is not a connection.
    if (!link.up || !link.running || link.loopback)
        return false;
    return FitsMode(link.name, choice, metered);
}

QStringList CountedAddresses(const QList<NetInterface>& interfaces, const LinkChoice& choice,
                             MeteredFlags& metered) {
    QStringList addresses;
    for (const NetInterface& link : interfaces) {
        QStringList ipv6; // a link with only IPv6 is a connection too, except by default
        if (choice.mode() != LinkMode::All)
            for (const QString& address : link.ipv6)
                if (InternetIpv6(address))
                    ipv6 << address;
        if (link.ipv4.isEmpty() && ipv6.isEmpty())
            continue; // nothing to count: spare the network manager the question
        if (!Counts(link, choice, metered))
            continue;
        addresses << link.ipv4 << ipv6;
    }
    return addresses;
}
