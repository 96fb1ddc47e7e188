#pragma once
// The bytes the counted link moved between two polls, from the running counters that the
// system keeps for each interface, and the rule that shares them among the records a split
// or a midnight cut between those polls.
//
// A counter only ever grows while its interface lives. One that went backwards belongs to
// an interface made anew under the same name (a dialled link is made for each call), so
// it is counted from zero; so is an interface first seen after the meter's first reading.
// What an interface moved after its last reading is lost when it disappears: at most one
// poll's traffic. Loopback never counts.

#include "storage/Traffic.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One interface's counters as read at a poll.
struct LinkCounters {
    int index = 0; // the system's number for it
    QString name;
    bool loopback = false;
    Traffic total; // since the interface came to be
};

// Where the meter reads: every interface's counters, and which of them are the connection
// by the link choice (all that hold an Internet address, the chosen ones, or the metered).
class CounterSource {
public:
    virtual ~CounterSource() = default;
    // Every interface the system has now, loopback included; nullopt when it cannot be asked.
    virtual std::optional<QList<LinkCounters>> Counters() = 0;
    virtual bool Counted(const QString& name) = 0;
};

// What the counted bytes are priced by: the traffic terms in force, and the bytes of the
// records already stored in a billing period (the package is spent in the order of use).
class TrafficLedger {
public:
    virtual ~TrafficLedger() = default;
    virtual TrafficTerms Terms() = 0;
    // The first day of the billing period that holds `date`.
    virtual QDate PeriodStart(const QDate& date) = 0;
    // The bytes of the records stored in that period. Throws Failure when they cannot be read.
    virtual quint64 StoredInPeriod(const QDate& date) = 0;
};

class TrafficMeter {
public:
    // Faster than any link that is paid for by the megabyte: a counter said to move more in
    // a poll is taken for a fault of the counter, told, and not counted.
    static constexpr quint64 MostBytesPerSecond = 12'500'000'000ULL; // 100 Gbit/s

    struct Step {
        Traffic moved;     // by the counted interfaces since the last reading
        QStringList jumps; // the interfaces whose counters jumped (not counted)
    };

    // Reads every interface the system has now; `counted` says which of them are the
    // connection. `elapsedMsecs` is the time since the last reading. The first reading only
    // notes where the counters stand.
    Step Read(const QList<LinkCounters>& interfaces,
              const std::function<bool(const QString& name)>& counted, qint64 elapsedMsecs);
    // The next reading notes where the counters stand and counts nothing: after a poll at
    // which the system could not be asked, so that no interface is taken for a new one.
    void Forget();

private:
    struct Seen {
        int index;
        QString name;
        Traffic total;
    };
    std::vector<Seen> seen_;
    bool started_ = false;
};

// Shares `total` among parts in proportion to their weights (their milliseconds), exactly:
// the shares add up to the total, each is the proportional one rounded down or up, and the
// bytes left by rounding down go to the parts with the largest remainders, the later part
// first among equals. All weights zero: the last part takes everything.
std::vector<quint64> ShareInProportion(quint64 total, const std::vector<qint64>& weights);
