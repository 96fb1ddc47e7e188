#pragma once
// Hand-driven stand-ins for the clock, the timers, the address list, the rate, the record
// store and the window, so the tracker runs without sleeping and without a network.

#include "TimeOfDay.h"
#include "accounting/Clock.h"
#include "accounting/SessionTracker.h"
#include "accounting/Timer.h"
#include "platform/OwnAddresses.h"
#include "storage/Failure.h"

#include <deque>
#include <vector>

class FakeClock final : public Clock {
public:
    LocalMoment Now() const override { return now; }
    qint64 MonotonicMsecs() const override { return monotonic; }
    void Set(QDate date, int h, int m, int s, int ms = 0) { now = {date, Ms(h, m, s, ms)}; }
    // Time passes: both clocks move.
    void Advance(int msecs) {
        monotonic += msecs;
        Jump(msecs);
    }
    // The wall clock is set (or the machine slept): only it moves.
    void Jump(qint64 msecs) {
        qint64 at = AbsoluteMsecs(now) + msecs;
        now = {QDate::fromJulianDay(at / 86'400'000), int(at % 86'400'000)};
    }
    LocalMoment now{QDate(2026, 12, 7), 0};
    qint64 monotonic = 1'000'000;
};

class FakeTimer final : public Timer {
public:
    void Enable() override {
        if (!enabled) {
            enabled = true;
            ++starts;
        }
    }
    void Disable() override { enabled = false; }
    bool IsEnabled() const override { return enabled; }
    void SetInterval(int msecs) override {
        interval = msecs;
        if (enabled)
            ++starts;
    }
    int Interval() const override { return interval; }

    bool enabled = false;
    int interval = 0;
    int starts = 0; // how often the interval began afresh
};

// Answers each lookup with the next scripted list; the last one repeats. The list
// {Unresolvable} stands for a host name that cannot be resolved.
class ScriptedAddresses final : public AddressSource {
public:
    static inline const QString Unresolvable = QStringLiteral("!");
    std::optional<QStringList> OwnAddresses() override {
        ++lookups;
        const QStringList next = script.empty() ? QStringList{Unresolvable} : script.front();
        if (script.size() > 1)
            script.pop_front();
        if (next == QStringList{Unresolvable})
            return std::nullopt;
        return next;
    }
    void Always(const QStringList& list) { script = {list}; }
    std::deque<QStringList> script;
    int lookups = 0;
};

class FakeRates final : public RateSource {
public:
    QString LookupRate() override {
        ++lookups;
        if (fail && plainFailure)
            throw Failure(QStringLiteral("rate lookup failed"));
        if (fail)
            throw RateLookupFailure(QStringLiteral("rate lookup failed"), fallback);
        return rate;
    }
    Billing Terms() const override { return billing; }
    QString rate = QStringLiteral("20");
    Billing billing;
    QString fallback = QStringLiteral("0"); // what the periods read last give
    bool fail = false;
    bool plainFailure = false;
    int lookups = 0;
};

class FakeWriter final : public RecordWriter {
public:
    void Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) override {
        ++attempts;
        if (fail)
            throw Failure(QStringLiteral("disk full"));
        records.push_back(record);
        keptWithRecords.push_back(stillOpen);
        open = stillOpen;
    }
    void Checkpoint(const std::optional<OpenSegment>& segment) override {
        if (fail)
            throw Failure(QStringLiteral("disk full"));
        ++checkpoints;
        open = segment;
    }
    std::optional<OpenSegment> LeftOpen(const QDate&, int) override {
        if (failRead)
            throw Failure(QStringLiteral("data.db is locked"));
        if (damaged)
            throw DamagedSegment(QStringLiteral("open segment damaged: 2026-12-07 abc"));
        return open;
    }
    std::vector<SessionRecord> records;
    std::vector<std::optional<OpenSegment>> keptWithRecords; // the open segment each carried
    bool failRead = false;                                   // the file cannot be opened at all
    bool damaged = false;            // the open segment it keeps does not read
    std::optional<OpenSegment> open; // what the table keeps as still open
    bool fail = false;
    int attempts = 0;
    int checkpoints = 0;
};

class FakeView final : public TrackerView {
public:
    void ShowStatus(const QString& text) override { status = text; }
    void ShowError(const QString& message) override { errors << message; }
    QString status;
    QStringList errors;
};

class FakeSteps final : public StartupSteps {
public:
    void LoadOptions() override {
        calls << QStringLiteral("LoadOptions");
        if (failOptions)
            throw Failure(QStringLiteral("'abc' is not a valid integer value"));
    }
    void OpenTariffTable() override {
        calls << QStringLiteral("OpenTariffTable");
        if (failTariffs)
            throw Failure(QStringLiteral("tarif.db cannot be opened"));
    }
    QStringList calls;
    bool failOptions = false;
    bool failTariffs = false;
};

// The tracker with every seam faked; tests add how it starts and what they read.
struct TrackerRig {
    FakeClock clock;
    FakeTimer poll, ticker, watch, startup;
    ScriptedAddresses addresses;
    ConnectionProbe probe{addresses};
    FakeRates rates;
    FakeWriter writer;
    FakeView view;
    FakeSteps steps;
    SessionTracker tracker{clock, {poll, ticker, watch, startup}, probe, rates, writer, view,
                           steps};

    // The addresses change, time passes, and the poll looks.
    void Poll(const QStringList& addressList, int afterMsecs = 3000) {
        addresses.Always(addressList);
        clock.Advance(afterMsecs);
        tracker.Poll();
    }
    void Watch(int afterMsecs = 4000) {
        clock.Advance(afterMsecs);
        tracker.WatchTariff();
    }
};
