#pragma once
// A timer of the main window, as the tracker uses it. Enabling an enabled timer changes
// nothing, in particular it does not restart the interval; disabling and enabling again
// starts the interval afresh.

class Timer {
public:
    virtual ~Timer() = default;
    virtual void Enable() = 0;
    virtual void Disable() = 0;
    virtual bool IsEnabled() const = 0;
    // A new interval on an enabled timer starts it afresh.
    virtual void SetInterval(int msecs) = 0;
    virtual int Interval() const = 0;
};
