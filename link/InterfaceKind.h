#pragma once
// What kind of link an interface is, in the user's words, for the link dialog.

#include "platform/OwnAddresses.h"

#include <QString>

// Judged by the system's facts first and the usual names second ("wwan0", "docker0", "tun0").
QString InterfaceKind(const QString& name, bool loopback, const InterfaceFacts& facts);
