#pragma once
// The address source of the connection check: the machine's interfaces, filtered by the
// link choice. The choice changes while the program runs (the link dialog's "ОК") and takes
// effect at the next lookup, so at the next poll.

#include "LinkFilter.h"

#include <functional>

class LinkAddresses final : public AddressSource {
public:
    // `metered` is asked for only in the metered mode, so the system bus is not touched
    // otherwise.
    LinkAddresses(InterfaceSource& interfaces, std::function<MeteredFlags&()> metered,
                  LinkChoice choice = {});

    const LinkChoice& Choice() const { return choice_; }
    void SetChoice(const LinkChoice& choice) { choice_ = choice; }

    // The counted addresses, or the single address 127.0.0.1 when none counts.
    std::optional<QStringList> OwnAddresses() override;

private:
    InterfaceSource& interfaces_;
    std::function<MeteredFlags&()> metered_;
    LinkChoice choice_;
};

// For the modes that never ask a network manager.
class NoMeteredFlags final : public MeteredFlags {
public:
    bool Answers() override { return false; }
    std::optional<Metered> FlagOf(const QString&) override { return std::nullopt; }
};
