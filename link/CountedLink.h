#pragma once
// The link the program times, for the life of the program: the choice read from kelvora.ini
// at start, the system's interfaces and NetworkManager's flags; the address source that the
// connection check reads through them, and the counters that the traffic meter reads.

#include "LinkAddresses.h"
#include "LinkTraffic.h"
#include "NetworkManagerFlags.h"
#include "settings/ProgramSettings.h"

class CountedLink {
public:
    // Reads kelvora.ini in the data folder; what could not be understood is in Problem().
    explicit CountedLink(const QString& dataDirectory) : CountedLink(dataDirectory, nullptr) {}
    // With the interfaces a test sets instead of the system's.
    CountedLink(const QString& dataDirectory, InterfaceSource* interfaces);

    AddressSource& Addresses() { return addresses_; }
    CounterSource& Traffic() { return traffic_; } // follows the choice as Addresses() does
    InterfaceSource& Interfaces() { return interfaces_; }
    NetworkManagerFlags& NetworkManager() { return networkManager_; }
    const LinkChoice& Choice() const { return addresses_.Choice(); }
    const std::optional<QString>& Problem() const { return problem_; }

    // Writes the choice to kelvora.ini; once it is written, the next poll counts by it.
    // A message, and no change at all, when it could not be written.
    std::optional<QString> Save(const LinkChoice& choice);

private:
    ProgramSettings settings_;
    SystemInterfaces system_;
    InterfaceSource& interfaces_;
    NetworkManagerFlags networkManager_;
    LinkAddresses addresses_;
    LinkTraffic traffic_;
    std::optional<QString> problem_;
};
