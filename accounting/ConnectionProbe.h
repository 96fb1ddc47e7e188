#pragma once
// Does the machine hold an Internet address right now? Asked once at every poll; every
// call asks the system afresh, so a link brought up or taken down shows at the next poll.

#include "platform/OwnAddresses.h"

class ConnectionProbe {
public:
    explicit ConnectionProbe(AddressSource& source) : source_(source) {}

    // True when the last address of the list is present and is not 127.0.0.1. When the
    // list changes between lookups within one call, one or two more lookups of the first
    // address settle it (see the decision in the source).
    bool IsConnected();
    // The first address of a lookup of its own; empty when there is none.
    QString FirstOwnAddress();

private:
    AddressSource& source_;
};
