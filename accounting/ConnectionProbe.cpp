#include "ConnectionProbe.h"

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
}

bool ConnectionProbe::IsConnected() {
    const std::optional<QStringList> list = source_.OwnAddresses();
    if (!list)
        return false; // the name cannot be resolved: no further lookups
    const QString last = list->isEmpty() ? QString() : list->last();
    const QString first = FirstOwnAddress();
    // Read from the top; the first rule that fits answers:
    //   last empty                              -> false
    //   last is 127.0.0.1                       -> false
    //   last equals the first of a 2nd lookup   -> true
    //   last differs from the first of a 3rd    -> true, else false
    if (last == first && last != Loopback)
        return !last.isEmpty();
    if (last.isEmpty() || last == Loopback)
        return false;
    return last != FirstOwnAddress();
}

QString ConnectionProbe::FirstOwnAddress() {
    const std::optional<QStringList> list = source_.OwnAddresses();
    return list && !list->isEmpty() ? list->first() : QString();
}
