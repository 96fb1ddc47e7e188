#pragma once
// Bytes received and sent, and the traffic terms of a tariff: a package included in each
// billing period and a price for what goes beyond it.

#include "Decimal.h"

#include <QString>

struct Traffic {
    quint64 rx = 0; // received
    quint64 tx = 0; // sent
    Traffic& operator+=(const Traffic& more) {
        rx += more.rx;
        tx += more.tx;
        return *this;
    }
    bool operator==(const Traffic&) const = default;
};

// The traffic terms of a tariff: a package of mebibytes (2^20 bytes, the megabyte that
// operators bill by) included in each billing period, and the price of each mebibyte beyond.
// The defaults price nothing.
struct TrafficTerms {
    QString pricePerMebibyte = QStringLiteral("0"); // a number text
    quint64 packageMebibytes = 0;
    static constexpr quint64 Mebibyte = quint64(1) << 20;
    quint64 PackageBytes() const;
    bool PricesNothing() const { return *this == TrafficTerms{}; }
    bool operator==(const TrafficTerms&) const = default;
};
// The bytes of the package left after `used` bytes of the period.
quint64 PackageLeft(const TrafficTerms& terms, quint64 used);
// The price of `bytes` moved after `usedBefore` bytes of the period: only what lies beyond
// the package is paid for. Exact; the caller adds it to the time charge and rounds once.
Decimal TrafficCharge(const TrafficTerms& terms, quint64 usedBefore, quint64 bytes);
