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
} // namespace

bool Counts(const NetInterface& link, const LinkChoice& choice, MeteredFlags& metered) {
    // A static address on an adapter without its cable is not a connection.
    if (!link.up || !link.running || link.loopback)
        return false;
    switch (choice.mode()) {
    case LinkMode::All:
        return true;
    case LinkMode::Chosen:
        return choice.Lists(link.name);
    case LinkMode::Metered:
        return MeteredLink(link.name, metered);
    }
    return false;
}

QStringList CountedAddresses(const QList<NetInterface>& interfaces, const LinkChoice& choice,
                             MeteredFlags& metered) {
    QStringList addresses;
    for (const NetInterface& link : interfaces) {
        if (link.ipv4.isEmpty() && (choice.mode() == LinkMode::All || link.ipv6.isEmpty()))
            continue; // nothing to count: spare the network manager the question
        if (!Counts(link, choice, metered))
            continue;
        addresses << link.ipv4;
        if (choice.mode() != LinkMode::All)
            addresses << link.ipv6; // a link with only IPv6 is a connection too
    }
    return addresses;
}
