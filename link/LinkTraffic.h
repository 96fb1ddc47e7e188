#pragma once
// The traffic meter's view of the link: every interface's counters as they are now, and
// which interfaces are the connection under the link choice as it stands at each reading.

#include "LinkFilter.h"
#include "accounting/TrafficMeter.h"

#include <functional>

class LinkTraffic final : public CounterSource {
public:
    // `choice` is the one the connection check reads, which changes while the program runs;
    // `metered` is asked for only in the metered mode.
    LinkTraffic(InterfaceSource& interfaces, const LinkChoice& choice,
                std::function<MeteredFlags&()> metered);

    // One question to the system.
    std::optional<QList<LinkCounters>> Counters() override;
    // Never loopback. In the default mode, an interface whose addresses the connection check
    // counts (up, with carrier, an IPv4 address), asked once per reading; otherwise a chosen
    // or metered one whatever its state, so that what it moved before it went down counts.
    bool Counted(const QString& name) override;

private:
    InterfaceSource& interfaces_;
    const LinkChoice& choice_;
    std::function<MeteredFlags&()> metered_;
    QStringList loopback_;                       // of the last reading
    std::optional<QList<NetInterface>> holders_; // the default mode's, once per reading
};
