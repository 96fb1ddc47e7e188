#pragma once
// Notices when the machine goes on line and off line, times each connection, splits it
// where the rate in force or the date changes, and hands every finished segment to the
// session table. Driven by four timers of the main window: poll, ticker, tariff watch and
// the one-shot start-up step.

#include "Clock.h"
#include "ConnectionProbe.h"
#include "TariffBook.h"
#include "Timer.h"

#include <deque>

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
    Timer& poll;    // Timer1, 3000 ms or the options' interval
    Timer& ticker;  // Timer2, 1000 ms
    Timer& watch;   // Timer3, 4000 ms
    Timer& startup; // Timer4, 1500 ms, once
};

class SessionTracker {
public:
    static constexpr int DefaultPollMsecs = 3000;
    static constexpr int TickMsecs = 1000;
    static constexpr int WatchMsecs = 4000;
    static constexpr int StartupMsecs = 1500;

    SessionTracker(const Clock& clock, TrackerTimers timers, ConnectionProbe& probe,
                   RateSource& rates, RecordWriter& writer, TrackerView& view,
                   StartupSteps& steps);

    void FormCreate();  // the initial state; enables the start-up step
    void Timer1Timer(); // poll
    void Timer2Timer(); // tick
    void Timer3Timer(); // tariff watch
    void Timer4Timer(); // start-up step

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
    // Finished segments not yet stored, oldest first.
    const std::deque<Segment>& Pending() const { return pending_; }

private:
    enum class Trouble { Lookup, Append, Count };
    void Report(Trouble trouble, const QString& message);
    void Cleared(Trouble trouble) { reported_[int(trouble)] = false; }
    bool TryLookup(QString& rate);
    void EndSegment(const LocalMoment& end);
    void WritePending();

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
    bool rereadRate_ = true;
    int elapsed_ = 0; // ticks since the poll that began the connection
    std::deque<Segment> pending_;
    bool reported_[int(Trouble::Count)] = {};
};
