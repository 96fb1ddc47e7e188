#pragma once
// Hand-driven stand-ins for the clock, the timers, the address list, the rate, the record
// store and the window, so the tracker runs without sleeping and without a network.

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
    void Set(QDate date, int h, int m, int s, int ms = 0) {
        now = {date, ((h * 60 + m) * 60 + s) * 1000 + ms};
    }
    void Advance(int msecs) {
        now.msecs += msecs;
        while (now.msecs >= 86'400'000) {
            now.msecs -= 86'400'000;
            now.date = now.date.addDays(1);
        }
    }
    LocalMoment now{QDate(2026, 12, 7), 0};
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
        if (fail)
            throw Failure(QStringLiteral("rate lookup failed"));
        return rate;
    }
    QString rate = QStringLiteral("20");
    bool fail = false;
    int lookups = 0;
};

class FakeWriter final : public RecordWriter {
public:
    void Append(const SessionRecord& record) override {
        ++attempts;
        if (fail)
            throw Failure(QStringLiteral("disk full"));
        records.push_back(record);
    }
    std::vector<SessionRecord> records;
    bool fail = false;
    int attempts = 0;
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
