#pragma once
// What the windows share for the life of the program: the data directory, the passwords and
// options, the two tables, and the tracker with its clock, probe and timers. It alone reaches
// the tracker; the windows ask it what they need to show.

#include "accounting/ConnectionProbe.h"
#include "accounting/QtTimer.h"
#include "accounting/SessionTracker.h"
#include "accounting/TariffBook.h"
#include "accounting/TrafficMeter.h"
#include "platform/OwnAddresses.h"
#include "settings/OptionsFile.h"
#include "spend/LiveSpend.h"
#include "storage/SessionTable.h"
#include "storage/TariffTable.h"

#include <QObject>
#include <memory>

// The tracker writes through it: while data.db cannot be opened (another program's file, a
// locked or damaged one), every write tries to open it again, so what was kept in memory is
// stored once it can be.
class AppState final : public QObject,
                       public StartupSteps,
                       public RecordWriter,
                       public OptionsStore,
                       private TrafficLedger {
    Q_OBJECT
public:
    // The clock, the address source and the timers are the system's in the program, fakes
    // in tests.
    AppState(QString dataDirectory, QString title, const Clock& clock, AddressSource& addresses,
             TimerMaker& timers = QtTimers());
    ~AppState() override;

    const QString& DataDirectory() const { return dataDirectory_; }
    const QString& Title() const { return title_; }
    const Clock& TheClock() const { return clock_; }
    TimerMaker& Timers() const { return timers_; }
    Passwords& ThePasswords() { return passwords_; }

    // Opens data.db; throws Failure naming the file and the reason.
    void OpenSessionTable();
    // Builds the tracker and puts it in its initial state; it runs whether or not data.db
    // could be opened.
    void StartTracker(TrackerView& view);
    // The run before this one ended without closing data.db (found at the first open).
    bool LastRunLeftDataOpen() const { return lastRunLeftDataOpen_; }
    // data.db and tarif.db while they are open, else null.
    SessionTable* Sessions() const { return sessions_.get(); }
    TariffTable* Tariffs() const { return tariffs_.get(); }

    // The segment being timed, priced up to `now`; nothing while off line.
    std::optional<OpenCharge> OpenSegmentAt(const LocalMoment& now) const;
    // The whole connection being timed up to `now`, as the status line counts it: its pieces
    // stored at a tariff change or midnight, and the one still open.
    std::optional<OpenCharge> ConnectionAt(const LocalMoment& now) const;
    // At program close: the open segment written as a record that ends now. True when
    // nothing is left unwritten.
    bool CloseOpenConnection();
    // Segments timed but not stored yet: data.db could not take them.
    std::size_t UnstoredSegments() const { return tracker_ ? tracker_->Pending().size() : 0; }

    // options.dn, applied in the file's order: the flag (StartMinimisedRead), the password,
    // the interval (to the tracker, then PollIntervalRead). Throws the file's refusal after
    // what was read before it took effect. Queued events run before the file is read.
    void LoadOptions() override;
    void SaveOptions() override;
    // The options as they are now, the stored password with them.
    Options CurrentOptions() const;
    QString OptionsPath() const { return optionsFile_.Path(); }
    // The flag saved; throws Failure and keeps the old flag when it could not be.
    void SetStartMinimised(bool on);
    // The poll-interval dialog's field as typed: between loading and saving it holds the
    // setting, so the options save it; only "Ok" applies it.
    void KeepPollField(int seconds) { options_.pollSeconds = seconds; }
    // "Ok" of the poll-interval dialog: the interval applied to the tracker, then saved; the
    // message when it could not be saved.
    std::optional<QString> ApplyPollInterval(int seconds);

    void OpenTariffTable() override;
    void Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) override;
    void Checkpoint(const std::optional<OpenSegment>& open) override;
    std::optional<OpenSegment> LeftOpen(const QDate& today, int nowMsecs) override;

    // The traffic of the counted link is counted beside the time while the user asked for it:
    // a traffic price or package in the tariff, a traffic budget, or the grid's traffic
    // columns. Looked at again when the tariff file is opened and whenever one of those may
    // have changed. Without a counter source nothing is ever counted.
    void SetCounterSource(CounterSource* counters) { counters_ = counters; }
    void UpdateTrafficCounting();
    bool CountsTraffic() const { return tracker_ && tracker_->CountsTraffic(); }
    // The open segment's bytes so far; none while off line or not counted.
    std::optional<Traffic> OpenTrafficAt() const;
    // The tariff's traffic terms as read when the tariff file was opened or last changed.
    TrafficTerms TrafficTermsNow() const { return trafficTerms_; }
    // The bytes of the billing period so far, received and sent, the open segment's
    // included; none while data.db is not open or keeps no traffic.
    std::optional<quint64> PeriodTraffic() const;

    // While nothing shows the status line (the window hidden or minimised), its ticker is
    // held; shown again, the line is brought up to date at once.
    void SetStatusShown(bool shown) { ticker_->SetHeld(!shown); }
    bool TickerHeld() const { return ticker_->Held(); }

signals:
    // data.db opened after a failed first try.
    void SessionsOpened();
    // A record has gone in.
    void Written();
    // Only the open connection was kept: the stored records did not change.
    void Kept();
    // The first line of options.dn was read: "1" also hides the window to the tray.
    void StartMinimisedRead(bool on);
    // The third line was read and applied.
    void PollIntervalRead(int seconds);

private:
    SessionTable& OpenedSessions(); // opens data.db when it is not open yet; throws Failure
    // What the counted bytes are priced by.
    TrafficTerms Terms() override { return TrafficTermsNow(); }
    QDate PeriodStart(const QDate& date) override;
    quint64 StoredInPeriod(const QDate& date) override;

    const QString dataDirectory_;
    const QString title_;
    Passwords passwords_; // StoredPassword and EnteredPassword
    OptionsFile optionsFile_;
    Options options_; // the flag and the interval; the password lives in passwords_

    const Clock& clock_;
    TimerMaker& timers_;
    ConnectionProbe probe_;
    TariffBook tariffBook_;
    std::unique_ptr<SessionTable> sessions_;
    std::unique_ptr<TariffTable> tariffs_;
    std::unique_ptr<HoldableTimer> poll_, ticker_, watch_, startup_;
    std::unique_ptr<SessionTracker> tracker_;
    TrackerView* view_ = nullptr;
    bool lastRunLeftDataOpen_ = false;
    bool openTried_ = false;
    CounterSource* counters_ = nullptr;
    int periodStartDay_ = 1; // of the billing period the package is spent in
    TrafficTerms trafficTerms_;
    // Reads the terms from tarif.db (as the last lookup gave them when it cannot be read).
    TrafficTerms ReadTrafficTerms();
};
