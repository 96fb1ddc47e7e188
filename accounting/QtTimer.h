#pragma once
// Timer on QTimer: events arrive on the user-interface thread through the event loop.

#include "Timer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

class QtTimer final : public Timer {
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
    void SetHeld(bool held);
    bool Held() const { return held_; }

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
