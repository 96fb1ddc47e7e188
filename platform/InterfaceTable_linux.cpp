#include "InterfaceTable_linux.h"

#include <arpa/inet.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {
// Room for one receive: a dump sends up to a page or 32 KiB at a time, a change one message.
constexpr size_t ReceiveRoom = 64 * 1024;
// Asked of the kernel for the changes' socket; it grants what its limit allows.
constexpr int EventRoom = 1 << 20;
constexpr int DumpAttempts = 4; // a dump that changes under way is taken again

// NLMSG_OK without its mix of signed and unsigned: a whole message lies in the `left` bytes.
bool Fits(const nlmsghdr* h, int left) {
    return left >= int(sizeof(nlmsghdr)) && h->nlmsg_len >= sizeof(nlmsghdr) &&
           h->nlmsg_len <= unsigned(left);
}

QByteArray Raw(const rtattr* attribute) {
    return QByteArray(static_cast<const char*>(RTA_DATA(attribute)), int(RTA_PAYLOAD(attribute)));
}

// How a dump ended: read whole, refused by the kernel, or failed (the socket, or the list
// changed while it was read).
enum class Answer { Whole, Refused, Failed };

// Sends one dump request with `body` after its header and hands each message of the answer
// to `take`. Messages of another sequence (what is left of an earlier dump cut short) are
// passed over.
template <typename Body, typename Take>
Answer Dump(int fd, int type, const Body& body, quint32 sequence, std::vector<char>& buffer,
            Take take) {
    struct {
        nlmsghdr header;
        Body body;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(Body));
    request.header.nlmsg_type = quint16(type);
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = sequence;
    request.body = body;
    if (::send(fd, &request, request.header.nlmsg_len, 0) < 0)
        return Answer::Failed;
    for (;;) {
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), MSG_TRUNC);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || size_t(got) > buffer.size())
            return Answer::Failed;
        int left = int(got);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer.data()); Fits(h, left);
             h = NLMSG_NEXT(h, left)) {
            if (h->nlmsg_seq != request.header.nlmsg_seq)
                continue;
            if (h->nlmsg_type == NLMSG_ERROR)
                return Answer::Refused;
            if (h->nlmsg_flags & NLM_F_DUMP_INTR)
                return Answer::Failed;
            if (h->nlmsg_type == NLMSG_DONE)
                return Answer::Whole;
            take(h);
        }
    }
}

// A dump socket of its own, which the kernel answers at once; never hang a poll on it.
int DumpSocket() {
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    const timeval patience{2, 0};
    if (fd >= 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    return fd;
}

// The bytes received and sent of a rtnl_link_stats64 or, from an old kernel, a
// rtnl_link_stats; false when the attribute is too short to hold them. A newer kernel's
// longer structure keeps them in their place.
template <typename Stats> bool TakeBytes(const rtattr* attribute, quint64& rx, quint64& tx) {
    const size_t size = RTA_PAYLOAD(attribute);
    if (size < offsetof(Stats, tx_bytes) + sizeof(Stats::tx_bytes))
        return false;
    Stats stats{}; // the attribute is aligned to 4 bytes only
    std::memcpy(&stats, RTA_DATA(attribute), std::min(size, sizeof stats));
    rx = stats.rx_bytes;
    tx = stats.tx_bytes;
    return true;
}
} // namespace

// An Internet address: not link-local, loopback, site-local or unique local (fc00::/7,
// which a home router hands out whether or not there is a link beyond it).
bool GlobalIpv6(const in6_addr& a) {
    return !IN6_IS_ADDR_LINKLOCAL(&a) && !IN6_IS_ADDR_LOOPBACK(&a) &&
           !IN6_IS_ADDR_UNSPECIFIED(&a) && !IN6_IS_ADDR_MULTICAST(&a) &&
           !IN6_IS_ADDR_SITELOCAL(&a) && (a.s6_addr[0] & 0xfe) != 0xfc;
}

InterfaceTable::~InterfaceTable() {
    Close();
}

bool InterfaceTable::Open() {
    events_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (events_ < 0)
        return false;
    ::setsockopt(events_, SOL_SOCKET, SO_RCVBUF, &EventRoom, sizeof EventRoom);
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (::bind(events_, reinterpret_cast<sockaddr*>(&local), sizeof local) < 0) {
        Close();
        return false;
    }
    return true;
}

void InterfaceTable::Close() {
    for (int* fd : {&events_, &counterSocket_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    whole_ = false;
}

// Links first, then their addresses, on a socket of its own: what changes meanwhile is
// announced on the other and applied after, which leaves the table as the kernel ends up.
bool InterfaceTable::ReadWhole() {
    const int fd = DumpSocket();
    if (fd < 0)
        return false;
    bool read = false;
    for (int attempt = 0; attempt < DumpAttempts && !read; ++attempt) {
        links_.clear();
        const auto apply = [this](const nlmsghdr* h) {
            Apply(h);
        };
        // Zeroed bodies ask for both families (AF_UNSPEC).
        read = Dump(fd, RTM_GETLINK, ifinfomsg{}, ++sequence_, buffer_, apply) == Answer::Whole &&
               Dump(fd, RTM_GETADDR, ifaddrmsg{}, ++sequence_, buffer_, apply) == Answer::Whole;
    }
    ::close(fd);
    answers_[0] = answers_[1] = std::nullopt;
    whole_ = read;
    return read;
}

bool InterfaceTable::Drain() {
    int rereads = 0; // changes that outrun every reading are left to the older way
    for (;;) {
        sockaddr_nl sender{};
        socklen_t size = sizeof sender;
        const ssize_t got =
            ::recvfrom(events_, buffer_.data(), buffer_.size(), MSG_DONTWAIT | MSG_TRUNC,
                       reinterpret_cast<sockaddr*>(&sender), &size);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true; // nothing changed since
            if (errno == EINTR)
                continue;
            if (errno != ENOBUFS)
                return false;
            whole_ = false; // changes were lost: the table is read afresh
            if (++rereads > DumpAttempts || !ReadWhole())
                return false;
            continue;
        }
        if (size_t(got) > buffer_.size()) { // a change cut short: read the table afresh
            if (++rereads > DumpAttempts || !ReadWhole())
                return false;
            continue;
        }
        if (sender.nl_pid != 0)
            continue; // from another process, not the kernel
        int left = int(got);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer_.data()); Fits(h, left);
             h = NLMSG_NEXT(h, left))
            Apply(h);
    }
}

void InterfaceTable::Apply(const void* message) {
    const auto* h = static_cast<const nlmsghdr*>(message);
    switch (h->nlmsg_type) {
    case RTM_NEWLINK:
    case RTM_DELLINK:
        ApplyLink(h, h->nlmsg_type == RTM_DELLINK);
        break;
    case RTM_NEWADDR:
    case RTM_DELADDR:
        ApplyAddress(h, h->nlmsg_type == RTM_DELADDR);
        break;
    default:
        return;
    }
}

void InterfaceTable::ApplyLink(const void* message, bool gone) {
    const auto* h = static_cast<const nlmsghdr*>(message);
    if (h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return;
    const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
    if (info->ifi_family != AF_UNSPEC)
        return; // a bridge's word about its port, not about the link
    answers_[0] = answers_[1] = std::nullopt;
    if (gone) {
        links_.erase(info->ifi_index);
        return;
    }
    NetInterface& entry = links_[info->ifi_index].entry;
    entry.index = info->ifi_index;
    entry.up = info->ifi_flags & IFF_UP;
    entry.running = info->ifi_flags & IFF_RUNNING;
    entry.loopback = info->ifi_flags & IFF_LOOPBACK;
    int left = int(IFLA_PAYLOAD(h));
    for (const rtattr* a = IFLA_RTA(info); RTA_OK(a, left); a = RTA_NEXT(a, left)) {
        if (a->rta_type == IFLA_IFNAME) {
            entry.name = QString::fromLocal8Bit(
                static_cast<const char*>(RTA_DATA(a)),
                qsizetype(strnlen(static_cast<const char*>(RTA_DATA(a)), RTA_PAYLOAD(a))));
        } else if (a->rta_type == IFLA_STATS64 && RTA_PAYLOAD(a) >= sizeof(rtnl_link_stats64)) {
            rtnl_link_stats64 stats; // the attribute is aligned to 4 bytes only
            std::memcpy(&stats, RTA_DATA(a), sizeof stats);
            entry.rxBytes = stats.rx_bytes;
            entry.txBytes = stats.tx_bytes;
        }
    }
}

void InterfaceTable::ApplyAddress(const void* message, bool gone) {
    const auto* h = static_cast<const nlmsghdr*>(message);
    if (h->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg)))
        return;
    const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(h));
    const size_t size = info->ifa_family == AF_INET    ? sizeof(in_addr)
                        : info->ifa_family == AF_INET6 ? sizeof(in6_addr)
                                                       : 0;
    if (size == 0)
        return;
    // The own end: IFA_LOCAL where there is one (a point-to-point link's IFA_ADDRESS is the
    // far end), IFA_ADDRESS otherwise.
    QByteArray address, local;
    int left = int(IFA_PAYLOAD(h));
    for (const rtattr* a = IFA_RTA(info); RTA_OK(a, left); a = RTA_NEXT(a, left))
        if ((a->rta_type == IFA_ADDRESS || a->rta_type == IFA_LOCAL) && RTA_PAYLOAD(a) == size)
            (a->rta_type == IFA_LOCAL ? local : address) = Raw(a);
    const QByteArray raw = local.isEmpty() ? address : local;
    if (raw.isEmpty())
        return;
    if (info->ifa_family == AF_INET6 &&
        !GlobalIpv6(*reinterpret_cast<const in6_addr*>(raw.constData())))
        return;
    const auto link = links_.find(int(info->ifa_index));
    if (gone && link == links_.end())
        return;
    Link& held = gone ? link->second : links_[int(info->ifa_index)];
    held.entry.index = int(info->ifa_index);
    const bool four = info->ifa_family == AF_INET;
    QList<QByteArray>& raws = four ? held.ipv4 : held.ipv6;
    QStringList& texts = four ? held.entry.ipv4 : held.entry.ipv6;
    const qsizetype at = raws.indexOf(raw);
    if (gone == (at < 0))
        return; // a known address again, or one never held goes
    answers_[0] = answers_[1] = std::nullopt;
    if (gone) {
        raws.removeAt(at);
        texts.removeAt(at);
        return;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (!inet_ntop(info->ifa_family, raw.constData(), text, sizeof text))
        return;
    raws << raw;
    texts << QString::fromLatin1(text);
}

bool InterfaceTable::Fresh() {
    if (events_ < 0 && !Open())
        return false;
    buffer_.resize(ReceiveRoom); // once: a vector's storage is aligned for the messages
    if ((!whole_ && !ReadWhole()) || !Drain()) {
        Close(); // opened afresh at the next lookup
        return false;
    }
    return true;
}

std::optional<QList<NetInterface>> InterfaceTable::Interfaces(bool withIpv6) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (!Fresh())
        return std::nullopt;
    std::optional<QList<NetInterface>>& answer = answers_[withIpv6];
    if (answer)
        return answer; // shared, not copied
    answer.emplace();
    for (const auto& [index, link] : links_) {
        if (link.entry.name.isEmpty())
            continue; // an address announced before its link
        if (withIpv6) {
            answer->append(link.entry);
        } else if (!link.entry.ipv4.isEmpty()) {
            NetInterface cheap = link.entry;
            cheap.ipv6.clear();
            answer->append(cheap);
        }
    }
    return answer;
}

// The 64-bit counters alone (RTM_GETSTATS, some 200 bytes a link against 1.5 KiB for the
// whole link); a kernel before 4.7 refuses that, and the counters come with the whole links.
bool InterfaceTable::ReadCounters() {
    if (counterSocket_ < 0 && (counterSocket_ = DumpSocket()) < 0)
        return false;
    const auto stats = [this](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWSTATS || h->nlmsg_len < NLMSG_LENGTH(sizeof(if_stats_msg)))
            return;
        const auto* info = static_cast<const if_stats_msg*>(NLMSG_DATA(h));
        Reading reading{int(info->ifindex), 0, 0};
        int left = int(h->nlmsg_len - NLMSG_LENGTH(sizeof(if_stats_msg)));
        for (auto* a = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(info) +
                                                       NLMSG_ALIGN(sizeof(if_stats_msg)));
             RTA_OK(a, left); a = RTA_NEXT(a, left))
            if (a->rta_type == IFLA_STATS_LINK_64 &&
                TakeBytes<rtnl_link_stats64>(a, reading.rx, reading.tx)) {
                counters_.push_back(reading);
                return;
            }
    };
    const auto links = [this](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
            return;
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
        Reading reading{info->ifi_index, 0, 0};
        bool wide = false, narrow = false; // 64-bit counters, or the 32-bit ones of old
        int left = int(IFLA_PAYLOAD(h));
        for (const rtattr* a = IFLA_RTA(info); RTA_OK(a, left); a = RTA_NEXT(a, left)) {
            if (a->rta_type == IFLA_STATS64)
                wide = TakeBytes<rtnl_link_stats64>(a, reading.rx, reading.tx);
            else if (a->rta_type == IFLA_STATS && !wide)
                narrow = TakeBytes<rtnl_link_stats>(a, reading.rx, reading.tx);
        }
        if (wide || narrow)
            counters_.push_back(reading);
    };
    if_stats_msg only{};
    only.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    for (int attempt = 0; attempt < DumpAttempts; ++attempt) {
        counters_.clear();
        const Answer answer =
            statsRefused_
                ? Dump(counterSocket_, RTM_GETLINK, ifinfomsg{}, ++sequence_, buffer_, links)
                : Dump(counterSocket_, RTM_GETSTATS, only, ++sequence_, buffer_, stats);
        if (answer == Answer::Whole)
            return true;
        if (answer == Answer::Refused && !statsRefused_)
            statsRefused_ = true;
        else if (answer == Answer::Refused)
            return false;
    }
    return false;
}

std::optional<QList<NetInterface>> InterfaceTable::Counters() {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (!Fresh())
        return std::nullopt;
    if (!ReadCounters()) {
        Close();
        return std::nullopt;
    }
    QList<NetInterface> list;
    list.reserve(qsizetype(counters_.size()));
    for (const Reading& reading : counters_) {
        const auto link = links_.find(reading.index);
        if (link == links_.end() || link->second.entry.name.isEmpty())
            continue; // made since the table was drained: read at the next question
        NetInterface& entry = list.emplace_back(link->second.entry);
        entry.rxBytes = reading.rx;
        entry.txBytes = reading.tx;
    }
    return list;
}
