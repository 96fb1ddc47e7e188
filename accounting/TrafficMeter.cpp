#include "TrafficMeter.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace {
// What a counter moved from `before` to `now`: from zero when it went backwards.
quint64 Moved(quint64 before, quint64 now) {
    return now >= before ? now - before : now;
}
} // namespace

TrafficMeter::Step TrafficMeter::Read(const QList<LinkCounters>& interfaces,
                                      const std::function<bool(const QString&)>& counted,
                                      qint64 elapsedMsecs) {
    Step step;
    const qint64 seconds = std::max<qint64>(1, (elapsedMsecs + 999) / 1000);
    const quint64 most = MostBytesPerSecond * quint64(seconds);
    std::vector<Seen> now;
    for (const LinkCounters& link : interfaces) {
        if (link.loopback)
            continue;
        now.push_back({link.index, link.name, link.total});
        if (!started_ || !counted(link.name))
            continue;
        const auto before = std::find_if(seen_.begin(), seen_.end(), [&](const Seen& s) {
            return s.index == link.index && s.name == link.name;
        });
        const Traffic from = before == seen_.end() ? Traffic{} : before->total;
        const Traffic moved{Moved(from.rx, link.total.rx), Moved(from.tx, link.total.tx)};
        if (moved.rx > most || moved.tx > most) {
            step.jumps << link.name;
            continue;
        }
        step.moved += moved;
    }
    seen_ = std::move(now);
    started_ = true;
    return step;
}

void TrafficMeter::Forget() {
    seen_.clear();
    started_ = false;
}

std::vector<quint64> ShareInProportion(quint64 total, const std::vector<qint64>& weights) {
    std::vector<quint64> shares(weights.size(), 0);
    if (weights.empty())
        return shares;
    std::vector<quint64> w(weights.size());
    std::transform(weights.begin(), weights.end(), w.begin(),
                   [](qint64 x) { return quint64(std::max<qint64>(0, x)); });
    // Kept below 2^31 each, so that a remainder times a weight fits in 64 bits.
    auto sum = [&] {
        return std::accumulate(w.begin(), w.end(), quint64(0));
    };
    while (sum() >= (quint64(1) << 31))
        for (quint64& x : w)
            x >>= 1;
    const quint64 whole = sum();
    if (whole == 0) {
        shares.back() = total;
        return shares;
    }
    const quint64 perWeight = total / whole, rest = total % whole;
    std::vector<quint64> remainders(w.size());
    quint64 given = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        shares[i] = perWeight * w[i] + rest * w[i] / whole;
        remainders[i] = rest * w[i] % whole;
        given += shares[i];
    }
    std::vector<std::size_t> order(w.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return remainders[a] != remainders[b] ? remainders[a] > remainders[b] : a > b;
    });
    for (std::size_t i = 0; given < total; ++i, ++given)
        ++shares[order[i % order.size()]];
    return shares;
}
