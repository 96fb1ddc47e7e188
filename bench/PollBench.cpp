#include "PollBench.h"

#include "Instructions.h"
#include "Measure.h"
#include "Table.h"
#include "accounting/ConnectionProbe.h"
#include "link/CountedLink.h"
#include "link/LinkAddresses.h"
#include "link/LinkDialog.h"
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
} // namespace

// One poll's connection check, two thousand times: the bare address lookup, then through
// the link choice in each mode.
int Poll() {
    const auto time = [](AddressSource& addresses) {
        ConnectionProbe probe(addresses);
        probe.IsConnected(); // the first reads the interfaces whole
        QList<double> runs;
        for (int i = 0; i < 2000; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            probe.IsConnected();
            runs << std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                        .count();
        }
        return Median(runs);
    };
    SystemAddresses bare;
    SystemInterfaces interfaces;
    AllMetered metered;
    LinkAddresses all = PollSource(interfaces, metered, LinkMode::All);
    LinkAddresses chosen = PollSource(interfaces, metered, LinkMode::Chosen);
    LinkAddresses paid = PollSource(interfaces, metered, LinkMode::Metered);
    Print({time(bare), time(all), time(chosen), time(paid)});
    return 0;
}

int PollCount(const QString& word) {
    SystemInterfaces interfaces;
    AllMetered metered;
    LinkAddresses source =
        PollSource(interfaces, metered, ModeOfWord(word).value_or(LinkMode::All));
    ConnectionProbe probe(source);
    probe.IsConnected();
    Marked([&] {
        for (int i = 0; i < CountedPolls; ++i)
            probe.IsConnected();
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
