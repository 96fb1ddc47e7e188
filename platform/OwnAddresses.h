#pragma once
// The machine's own IPv4 addresses, as the connection check reads them at every poll.

#include <QStringList>
#include <optional>

class AddressSource {
public:
    virtual ~AddressSource() = default;
    // Dotted IPv4 texts in the system's order; nullopt when the machine's own name cannot
    // be resolved at all.
    virtual std::optional<QStringList> OwnAddresses() = 0;
};

// On Linux: the addresses of the interfaces that are up and not loopback, in the kernel's
// order, or the single address 127.0.0.1 when there is none. That is what the Windows
// resolver answers for the machine's own host name, which the Windows build asks instead.
// (On Linux the host name itself resolves to a loopback address whatever the network does.)
class SystemAddresses final : public AddressSource {
public:
    std::optional<QStringList> OwnAddresses() override;
};
