#include "LinkAddresses.h"

LinkAddresses::LinkAddresses(InterfaceSource& interfaces, std::function<MeteredFlags&()> metered,
                             LinkChoice choice)
    : interfaces_(interfaces), metered_(std::move(metered)), choice_(std::move(choice)) {}

std::optional<QStringList> LinkAddresses::OwnAddresses() {
    // The default mode counts IPv4 only, which the cheap question answers.
    const auto list = interfaces_.Interfaces(choice_.mode() != LinkMode::All);
    if (!list)
        return std::nullopt;
    NoMeteredFlags none;
    MeteredFlags& metered = choice_.mode() == LinkMode::Metered ? metered_() : none;
    QStringList addresses = CountedAddresses(*list, choice_, metered);
    if (addresses.isEmpty())
        addresses << QStringLiteral("127.0.0.1");
    return addresses;
}
