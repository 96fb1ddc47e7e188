#pragma once
// Which of the machine's addresses count as a connection under the link choice. Pure: the
// interfaces and the metered flags come in, the addresses for the decision rule go out.

#include "LinkChoice.h"
#include "MeteredFlags.h"
#include "platform/OwnAddresses.h"

// Interfaces that the metered mode counts when no network manager answers: the usual names
// of dial-up, PPPoE and mobile modem links.
extern const QStringList UsualPaidLinks;

// Whether the name fits the mode, the interface's state aside: any name in the default mode,
// a chosen one, or a metered one.
bool FitsMode(const QString& name, const LinkChoice& choice, MeteredFlags& metered);

// Whether the interface's own addresses count under the choice, its addresses aside: it is
// up, has carrier, is not loopback, and fits the mode.
bool Counts(const NetInterface& link, const LinkChoice& choice, MeteredFlags& metered);

// The counted addresses, interface by interface in the kernel's order: IPv4 first, then,
// except in the default mode, global IPv6 (a unique local address, fc00::/7, is none, from
// whatever source it comes). Empty when none counts.
QStringList CountedAddresses(const QList<NetInterface>& interfaces, const LinkChoice& choice,
                             MeteredFlags& metered);
