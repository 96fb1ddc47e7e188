#include "PollBench.h"

#include "Instructions.h"
#include "Measure.h"
#include "Table.h"
#include "accounting/ConnectionProbe.h"
#include "accounting/TrafficMeter.h"
#include "link/CountedLink.h"
#include "link/LinkAddresses.h"
#include "link/LinkDialog.h"
#include "link/LinkTraffic.h"
#include "ui/Dialogs.h"

#include <QTableWidget>
#include <chrono>

namespace {
// Every interface metered, as NetworkManager's flags stand between its signals: a poll
// reads them from memory, never from the bus.
class AllMetered final : public MeteredFlags {
public:
    bool Answers() override { return true; }
    std::optional<Metered> FlagOf(const QString&) override { return Metered::Yes; }
};

// A poll's address source through the link choice in each mode; every interface metered.
LinkAddresses PollSource(SystemInterfaces& interfaces, AllMetered& metered, LinkMode mode) {
    const QStringList patterns = {"ppp*", "wwan*", "eth0", "enx*"}; // of the chosen mode
    return LinkAddresses(
        interfaces, [&metered]() -> MeteredFlags& { return metered; },
        LinkChoice(mode, mode == LinkMode::Chosen ? patterns : QStringList()));
}
// One poll in a mode: the connection check and, with `counters`, the traffic meter's
// reading of every interface's counters and of which of them are the connection.
class OnePoll {
public:
    OnePoll(SystemInterfaces& interfaces, AllMetered& metered, LinkMode mode, bool counters)
        : source_(PollSource(interfaces, metered, mode)), probe_(source_),
          traffic_(interfaces, source_.Choice(), [&metered]() -> MeteredFlags& { return metered; }),
          counters_(counters) {}
    OnePoll(const OnePoll&) = delete; // the probe and the meter hold the source
    void operator()() {
        probe_.IsConnected();
        if (!counters_)
            return;
        const auto now = traffic_.Counters();
        meter_.Read(
            *now, [this](const QString& name) { return traffic_.Counted(name); }, 5000);
    }

private:
    LinkAddresses source_;
    ConnectionProbe probe_;
    LinkTraffic traffic_;
    TrafficMeter meter_;
    bool counters_;
};

template <typename Poll> double MedianMicros(Poll&& poll) {
    poll(); // the first reads the interfaces whole
    QList<double> runs;
    for (int i = 0; i < 2000; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        poll();
        runs << std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                    .count();
    }
    return Median(runs);
}
} // namespace

// One poll, two thousand times: the bare address lookup, then through the link choice in
// each mode, then in each mode with the traffic counters read.
int Poll() {
    SystemAddresses bareSource;
    ConnectionProbe bare(bareSource);
    SystemInterfaces interfaces;
    AllMetered metered;
    QList<double> figures{MedianMicros([&] { bare.IsConnected(); })};
    for (bool counters : {false, true})
        for (LinkMode mode : {LinkMode::All, LinkMode::Chosen, LinkMode::Metered})
            figures << MedianMicros(OnePoll(interfaces, metered, mode, counters));
    Print({figures[0], figures[1], figures[2], figures[3], figures[4], figures[5], figures[6]});
    return 0;
}

int PollCount(const QString& word) {
    SystemInterfaces interfaces;
    AllMetered metered;
    const QString suffix = QStringLiteral("+counters");
    const bool counters = word.endsWith(suffix);
    const LinkMode mode =
        ModeOfWord(counters ? word.chopped(suffix.size()) : word).value_or(LinkMode::All);
    OnePoll poll(interfaces, metered, mode, counters);
    poll();
    Marked([&] {
        for (int i = 0; i < CountedPolls; ++i)
            poll();
    });
    return 0;
}

// The link dialog: made and shown with its first reading of the interfaces, then each
// reading that follows the machine while it is open.
int LinkScan(const QString& dir) {
    CountedLink link(dir);
    WidgetDialogs dialogs(QStringLiteral("bench"));
    LinkDialog* dialog = nullptr;
    const double open = Millis([&] {
        dialog = new LinkDialog(link, dialogs);
        dialog->show();
        (void)dialog->grab();
    });
    QList<double> runs;
    for (int i = 0; i < 200; ++i)
        runs << Millis([&] { dialog->Refresh(); });
    Print({open, Median(runs), double(dialog->Table()->rowCount())});
    return 0;
}
