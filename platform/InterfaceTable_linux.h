#pragma once
// The machine's interfaces and addresses kept in memory, Linux only: read whole once from the
// kernel's routing socket, then kept up to date from the changes it announces on a socket of
// its own. An idle lookup costs one receive that finds nothing waiting. The traffic counters,
// which change without a word, are asked afresh each time they are wanted.

#include "OwnAddresses.h"

#include <QList>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <vector>

class InterfaceTable {
public:
    InterfaceTable() = default;
    ~InterfaceTable();
    InterfaceTable(const InterfaceTable&) = delete;
    InterfaceTable& operator=(const InterfaceTable&) = delete;

    // The interfaces by index, as the kernel numbers them; nullopt when the routing socket
    // cannot be opened or read, and the caller asks the older way.
    std::optional<QList<NetInterface>> Interfaces(bool withIpv6);
    // Every link of the table with its counters as they are now: one request to the kernel.
    std::optional<QList<NetInterface>> Counters();

private:
    struct Link {
        NetInterface entry;
        QList<QByteArray> ipv4; // the raw addresses beside the texts, to find one that goes
        QList<QByteArray> ipv6;
    };
    struct Reading {
        int index;
        quint64 rx, tx;
    };
    bool Open();
    void Close();
    // Open, read whole and drained: the table as the kernel has it now; closed when it fails.
    bool Fresh();
    bool ReadWhole();
    bool ReadCounters(); // into counters_
    // Takes what the kernel announced since the last lookup; false when the socket failed.
    bool Drain();
    void Apply(const void* message);
    void ApplyLink(const void* message, bool gone);
    void ApplyAddress(const void* message, bool gone);

    std::mutex mutex_;
    int events_ = -1;    // subscribed to link and address changes, non-blocking
    bool whole_ = false; // the table holds every link and address (no change was lost)
    std::map<int, Link> links_;
    std::vector<char> buffer_;                      // what one receive takes
    quint32 sequence_ = 0;                          // of the last dump request
    std::optional<QList<NetInterface>> answers_[2]; // built once per change: IPv4 only, all
    int counterSocket_ = -1;                        // asks for the counters, kept open
    bool statsRefused_ = false;     // a kernel before 4.7: the counters come with the whole links
    std::vector<Reading> counters_; // the last reading's, in the kernel's order
};

// Whether an IPv6 address is one of the Internet: not link-local, loopback, site-local or
// unique local.
bool GlobalIpv6(const in6_addr& address);
