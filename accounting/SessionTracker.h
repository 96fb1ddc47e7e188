#pragma once
// Notices when the machine goes on line and off line, times each connection, splits it
// where the rate in force or the date changes, and hands every finished segment to the
// session table. Driven by four timers of the main window: poll, ticker, tariff watch and
// the one-shot start-up step. The open segment is kept in the table at every poll, so a
// crash loses at most one poll; a jump of the wall clock (set back or forward, or the
// machine asleep) ends the segment at the last moment seen before it.

#include "Clock.h"
#include "ConnectionProbe.h"
#include "TariffBook.h"
#include "Timer.h"
#include "TrafficMeter.h"

#include <deque>
#include <vector>

// What the tracker shows: the status line, and errors (each at most once in a row).
class TrackerView {
public:
    virtual ~TrackerView() = default;
    virtual void ShowStatus(const QString& text) = 0;
    virtual void ShowError(const QString& message) = 0;
};

// The start-up step's own work, done by the program around the tracker.
class StartupSteps {
public:
    virtual ~StartupSteps() = default;
    virtual void LoadOptions() = 0;     // may call ApplyPollInterval; throws Failure
    virtual void OpenTariffTable() = 0; // throws Failure
};

struct TrackerTimers {
    Timer& poll;    // 3000 ms or the options' interval
    Timer& ticker;  // 1000 ms: the status line's clock
    Timer& watch;   // 4000 ms: the tariff watch
    Timer& startup; // 1500 ms, once: the start-up step
};

class SessionTracker {
public:
    static constexpr int DefaultPollMsecs = 3000;
    static constexpr int TickMsecs = 1000;
    static constexpr int WatchMsecs = 4000;
    static constexpr int StartupMsecs = 1500;
    // How far the wall clock may drift from the monotonic one between two looks before it
    // counts as set or as having slept.
    static constexpr int JumpToleranceMsecs = 1500;
    // Where a whole day on line is cut in two: one record's time text holds less than a day.
    static constexpr int NoonMsecs = 43'200'000;

    // The segment cut at every midnight it runs across: the day's piece ends at midnight
    // itself (0:00:00 of the next date), the next begins there; a whole day is two pieces,
    // cut at noon. Pieces of no time are dropped.
    static std::vector<Segment> SplitAtMidnights(const Segment& segment);
    // Gives each piece of a connection its place in it, in order: what the connection stored
    // before it (`soFar`, moved on past each piece) and the terms it is billed by; the final
    // piece is the connection's last when `endsConnection`.
    // `price`, when given, sets a piece's traffic terms and the bytes of its period before it,
    // given the pieces placed before it in this call.
    using TrafficPrice = std::function<void(Segment& piece, const std::vector<Segment>& earlier)>;
    static std::vector<Segment> Placed(std::vector<Segment> pieces, ConnectionSoFar& soFar,
                                       const Billing& billing, bool endsConnection,
                                       const TrafficPrice& price = {});
    // An ended segment as the pieces to store, cut and placed. When it ends the connection
    // with no time of its own, a piece of no time at its start still carries whatever the
    // terms add to the connection's last record (its steps, its minimum), if anything.
    // Its bytes are shared among its pieces in proportion to their time (ShareInProportion).
    static std::vector<Segment> Finished(const Segment& segment, ConnectionSoFar& soFar,
                                         const Billing& billing, bool endsConnection,
                                         const TrafficPrice& price = {});

    SessionTracker(const Clock& clock, TrackerTimers timers, ConnectionProbe& probe,
                   RateSource& rates, RecordWriter& writer, TrackerView& view, StartupSteps& steps);

    // The initial state: first stores a segment a crash left open, then enables the
    // start-up step.
    void Start();
    void Poll();              // poll
    void Tick(int ticks = 1); // tick; several at once after the ticker was held
    void WatchTariff();       // tariff watch
    void StartUp();           // start-up step

    // Counts the traffic of the counted link beside the time, from the next poll on: read at
    // every poll and at every moment a segment ends, so a segment holds what moved while it
    // was open. None stops counting; records stored from then on carry no bytes.
    void CountTraffic(CounterSource* counters, TrafficLedger* ledger);
    bool CountsTraffic() const { return counters_ != nullptr; }
    // The open segment's bytes so far; none while the traffic is not counted or off line.
    std::optional<Traffic> OpenTraffic() const;

    // 0 stops polling; otherwise polls every `seconds` seconds, the interval afresh.
    void ApplyPollInterval(int seconds);

    // At program close: the open segment ends now and is written with any segment still
    // waiting. True when nothing is left unwritten.
    bool CloseOpenSegment();

    // State, for the status line's neighbours and for tests.
    bool SegmentOpen() const { return segmentOpen_; }
    bool AwaitingStart() const { return awaitingStart_; }
    bool RereadRate() const { return rereadRate_; }
    const QString& CurrentRate() const { return currentRate_; }
    QDate StartDate() const { return startDate_; }
    int StartTime() const { return startTime_; }
    int ElapsedSeconds() const { return elapsed_; }
    // The open connection's records so far and the terms it is billed by.
    const ConnectionSoFar& SoFar() const { return soFar_; }
    const Billing& Terms() const { return billing_; }
    // Finished segments not yet stored, oldest first.
    const std::deque<Segment>& Pending() const { return pending_; }

private:
    enum class Trouble { Lookup, Append, Traffic, Count };
    void Report(Trouble trouble, const QString& message);
    void Cleared(Trouble trouble) { reported_[int(trouble)] = false; }
    bool TryLookup(QString& rate);
    // Reads both clocks and gives the wall clock's moment; ends the open segment at the
    // last moment seen when the wall clock jumped, and begins the next at `now` when
    // `stillConnected`.
    LocalMoment CheckClocks(bool stillConnected);
    // Ends the open segment at `end`; the next begins at `next` at `nextRate` (none: off line).
    void EndSegment(LocalMoment end, const std::optional<LocalMoment>& next,
                    const QString& nextRate);
    std::optional<OpenSegment> OpenSegmentNow() const; // as the table keeps it; none off line
    // What the counted link moved since the last reading; nothing at the first, which only
    // notes where the counters stand.
    Traffic TakeTraffic();
    // Sets the pieces' traffic terms and the bytes of each one's period before it: those
    // stored, those waiting to be, and those of the pieces placed before it.
    void PriceTraffic(Segment& piece, const std::vector<Segment>& earlier);
    TrafficPrice Pricing();
    // Reads the segment a crash left open, once, before anything is written: false while
    // the file cannot be read, or, for one with bytes, until the tariff that prices them
    // has been read (the start-up step).
    bool Recover();
    void WritePending();
    // Stores the records waiting, each carrying the open segment, or with none waiting the
    // open segment alone.
    void StoreProgress();

    const Clock& clock_;
    TrackerTimers timers_;
    ConnectionProbe& probe_;
    RateSource& rates_;
    RecordWriter& writer_;
    TrackerView& view_;
    StartupSteps& steps_;

    int startTime_ = 0; // milliseconds since midnight
    QDate startDate_;
    bool segmentOpen_ = false;
    bool awaitingStart_ = true;
    QString currentRate_;
    QString lastGoodRate_ = QStringLiteral("0"); // what the last lookup that worked gave
    bool rereadRate_ = true;
    int elapsed_ = 0; // ticks since the poll that began the connection
    std::deque<Segment> pending_;
    ConnectionSoFar soFar_; // the open connection's segments already ended
    Billing billing_;       // taken when the connection began
    LocalMoment lastSeen_;
    qint64 lastMonotonic_ = 0;
    bool looked_ = false;
    bool recovered_ = false;
    bool startedUp_ = false;
    bool reported_[int(Trouble::Count)] = {};
    CounterSource* counters_ = nullptr;
    TrafficLedger* ledger_ = nullptr;
    TrafficMeter meter_;
    Traffic openTraffic_;    // the open segment's, while counted
    qint64 lastCounted_ = 0; // monotonic, at the last reading
};
