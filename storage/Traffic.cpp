#include "Traffic.h"

#include <limits>

quint64 TrafficTerms::PackageBytes() const {
    return packageMebibytes > std::numeric_limits<quint64>::max() / Mebibyte
               ? std::numeric_limits<quint64>::max()
               : packageMebibytes * Mebibyte;
}

quint64 PackageLeft(const TrafficTerms& terms, quint64 used) {
    const quint64 package = terms.PackageBytes();
    return used >= package ? 0 : package - used;
}

Decimal TrafficCharge(const TrafficTerms& terms, quint64 usedBefore, quint64 bytes) {
    const quint64 free = PackageLeft(terms, usedBefore);
    if (bytes <= free)
        return {};
    return Decimal::Of(terms.pricePerMebibyte).Times(bytes - free).OverPowerOfTwo(20);
}
