#pragma once
// Timer on QTimer: events arrive on the user-interface thread through the event loop.

#include "Timer.h"

#include <QTimer>
#include <functional>

class QtTimer final : public Timer {
public:
    QtTimer(int msecs, std::function<void()> handler);
    void Enable() override;
    void Disable() override { timer_.stop(); }
    bool IsEnabled() const override { return timer_.isActive(); }
    void SetInterval(int msecs) override { timer_.setInterval(msecs); }
    int Interval() const override { return timer_.interval(); }

private:
    QTimer timer_;
};
