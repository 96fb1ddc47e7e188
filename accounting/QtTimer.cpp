#include "QtTimer.h"

#include <climits>

TimerMaker& QtTimers() {
    struct Maker final : TimerMaker {
        std::unique_ptr<HoldableTimer> Make(int msecs, std::function<void()> handler,
                                            std::function<void(int)> caughtUp) override {
            return std::make_unique<QtTimer>(msecs, std::move(handler), std::move(caughtUp));
        }
    };
    static Maker maker;
    return maker;
}

QtTimer::QtTimer(int msecs, std::function<void()> handler, std::function<void(int missed)> caughtUp)
    : handler_(std::move(handler)), caughtUp_(std::move(caughtUp)), interval_(msecs) {
    timer_.setInterval(msecs);
    timer_.setTimerType(Qt::CoarseTimer);
    clock_.start();
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fired(); });
}

void QtTimer::Fired() {
    lastEnd_ = clock_.elapsed();
    if (timer_.interval() != interval_) // the first interval after a release was a remainder
        timer_.setInterval(interval_);
    handler_();
}

void QtTimer::Enable() {
    if (enabled_) // enabling a running timer would restart its interval
        return;
    enabled_ = true;
    lastEnd_ = clock_.elapsed();
    if (!held_)
        timer_.start(interval_);
}

void QtTimer::Disable() {
    enabled_ = false;
    timer_.stop();
}

void QtTimer::SetInterval(int msecs) {
    interval_ = msecs;
    lastEnd_ = clock_.elapsed();
    if (held_)
        return;
    timer_.setInterval(msecs); // restarts an active timer
}

void QtTimer::SetHeld(bool held) {
    if (held == held_)
        return;
    held_ = held;
    if (held) {
        timer_.stop();
        return;
    }
    if (!enabled_)
        return;
    const qint64 passed = clock_.elapsed() - lastEnd_;
    const int missed = interval_ > 0 ? int(std::min<qint64>(passed / interval_, INT_MAX)) : 0;
    lastEnd_ += qint64(missed) * interval_;
    // What is left of the interval now running stays its own.
    timer_.start(int(interval_ - (passed - qint64(missed) * interval_)));
    if (missed == 0)
        return;
    if (caughtUp_)
        caughtUp_(missed);
    else
        handler_();
}
