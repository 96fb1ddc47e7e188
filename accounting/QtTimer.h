#pragma once
// Timer on QTimer: events arrive on the user-interface thread through the event loop. The
// windows take their timers from a TimerMaker, so that tests fire them by hand.

#include "Timer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

// A timer that may be held: enabled, it stays enabled but does not fire; released, it tells
// `caughtUp` (or its handler, when it has none) of the intervals that passed meanwhile.
class HoldableTimer : public Timer {
public:
    virtual void SetHeld(bool held) = 0;
    virtual bool Held() const = 0;
};

class TimerMaker {
public:
    virtual ~TimerMaker() = default;
    // A timer of `msecs` that calls `handler` while enabled; `caughtUp`, when given, is told
    // how many intervals passed while it was held.
    virtual std::unique_ptr<HoldableTimer> Make(int msecs, std::function<void()> handler,
                                                std::function<void(int missed)> caughtUp = {}) = 0;
};

// The program's timers, on the event loop.
TimerMaker& QtTimers();

class QtTimer final : public HoldableTimer {
public:
    // `caughtUp`, when given, is told how many intervals passed while the timer was held.
    QtTimer(int msecs, std::function<void()> handler,
            std::function<void(int missed)> caughtUp = {});
    void Enable() override;
    void Disable() override;
    bool IsEnabled() const override { return enabled_; }
    void SetInterval(int msecs) override;
    int Interval() const override { return interval_; }

    // Held, an enabled timer stays enabled but does not fire: for a handler whose work no
    // one sees meanwhile. Released, it tells `caughtUp` at once of the intervals that
    // passed, when any did, and fires on in its old rhythm.
    void SetHeld(bool held) override;
    bool Held() const override { return held_; }

private:
    void Fired();

    QTimer timer_;
    std::function<void()> handler_;
    std::function<void(int)> caughtUp_;
    QElapsedTimer clock_;
    qint64 lastEnd_ = 0; // on clock_: when the last interval ended, or the timer was enabled
    int interval_;
    bool enabled_ = false;
    bool held_ = false;
};
