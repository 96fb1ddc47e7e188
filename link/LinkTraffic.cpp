#include "LinkTraffic.h"

#include "LinkAddresses.h"

LinkTraffic::LinkTraffic(InterfaceSource& interfaces, const LinkChoice& choice,
                         std::function<MeteredFlags&()> metered)
    : interfaces_(interfaces), choice_(choice), metered_(std::move(metered)) {}

std::optional<QList<LinkCounters>> LinkTraffic::Counters() {
    loopback_.clear();
    holders_.reset();
    const auto now = interfaces_.Counters();
    if (!now)
        return std::nullopt;
    QList<LinkCounters> counters;
    counters.reserve(now->size());
    for (const NetInterface& each : *now) {
        counters.append({each.index, each.name, each.loopback, {each.rxBytes, each.txBytes}});
        if (each.loopback)
            loopback_ << each.name;
    }
    return counters;
}

bool LinkTraffic::Counted(const QString& name) {
    if (loopback_.contains(name))
        return false;
    NoMeteredFlags none;
    if (choice_.mode() != LinkMode::All)
        return FitsMode(name, choice_, choice_.mode() == LinkMode::Metered ? metered_() : none);
    // The connection check's own question, which a poll has just asked: kept in memory.
    if (!holders_)
        holders_ = interfaces_.Interfaces(false).value_or(QList<NetInterface>());
    for (const NetInterface& link : *holders_)
        if (link.name == name)
            return !CountedAddresses({link}, choice_, none).isEmpty();
    return false;
}
