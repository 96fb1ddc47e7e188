#include "SessionTracker.h"

#include "storage/DateTimeValue.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <algorithm>
#include <climits>

namespace {
const QString Offline = QStringLiteral(" Нет доступа в Интернет");
const QString Online = QStringLiteral(" Интернет   ");
const QString Starting = QStringLiteral("Анализ состояния...");
} // namespace

SessionTracker::SessionTracker(const Clock& clock, TrackerTimers timers, ConnectionProbe& probe,
                               RateSource& rates, RecordWriter& writer, TrackerView& view,
                               StartupSteps& steps)
    : clock_(clock), timers_(timers), probe_(probe), rates_(rates), writer_(writer), view_(view),
      steps_(steps) {
    timers_.poll.SetInterval(DefaultPollMsecs);
    timers_.ticker.SetInterval(TickMsecs);
    timers_.watch.SetInterval(WatchMsecs);
    timers_.startup.SetInterval(StartupMsecs);
}

void SessionTracker::FormCreate() {
    segmentOpen_ = false;
    awaitingStart_ = true;
    startTime_ = 0;
    elapsed_ = 0;
    view_.ShowStatus(Starting);
    rereadRate_ = true;
    // A segment a crash left open is stored now, ending at its last checkpoint.
    try {
        if (const auto left = writer_.LeftOpen())
            pending_.push_back({left->startDate, left->startMsecs, left->lastDate, left->lastMsecs,
                                left->rate});
    } catch (const Failure& failure) {
        Report(Trouble::Append, failure.message());
    }
    WritePending();
    timers_.startup.Enable();
}

void SessionTracker::Timer4Timer() {
    // A failed piece is reported once and the tracker goes on without it: with no tariff
    // table every rate is "0", but connections are still timed and stored.
    try {
        steps_.LoadOptions();
    } catch (const Failure& failure) {
        view_.ShowError(failure.message());
    }
    try {
        steps_.OpenTariffTable();
    } catch (const Failure& failure) {
        view_.ShowError(failure.message());
    }
    timers_.startup.Disable();
    timers_.poll.Enable();
}

void SessionTracker::Timer1Timer() {
    WritePending(); // segments an earlier append could not store
    const bool connected = probe_.IsConnected();
    const LocalMoment now = Look(connected);
    if (connected) {
        if (rereadRate_) {
            if (!TryLookup(currentRate_))
                return; // begins nothing; the next poll tries again
            rereadRate_ = false;
        }
        timers_.ticker.Enable();
        timers_.watch.Enable();
        if (awaitingStart_) {
            startTime_ = now.msecs;
            startDate_ = now.date;
        }
        awaitingStart_ = false;
        segmentOpen_ = true;
        Keep();
    } else {
        timers_.ticker.Disable();
        timers_.watch.Disable();
        elapsed_ = 0;
        view_.ShowStatus(Offline);
        awaitingStart_ = true;
        rereadRate_ = true; // every new connection looks its rate up afresh
        if (segmentOpen_)
            EndSegment(now, std::nullopt, {});
        segmentOpen_ = false;
    }
}

void SessionTracker::Timer2Timer() {
    Look(true);
    ++elapsed_;
    view_.ShowStatus(Online + TextForms::TimeText(DateTimeValue::FromMsecs(elapsed_ * 1000LL)));
}

void SessionTracker::Timer3Timer() {
    if (!segmentOpen_)
        return;
    const LocalMoment now = Look(true);
    QString rate;
    if (!TryLookup(rate))
        return;
    if (rate == currentRate_ && now.date == startDate_)
        return;
    // The rate in force or the date changed: the open segment ends at this moment and the
    // next begins at the very same moment, at the rate just looked up.
    EndSegment(now, now, rate);
}

void SessionTracker::ApplyPollInterval(int seconds) {
    timers_.poll.Disable();
    if (seconds == 0)
        return;
    // QTimer takes an int of milliseconds; longer intervals are held at its limit.
    timers_.poll.SetInterval(int(std::clamp<qint64>(qint64(seconds) * 1000, 1, INT_MAX)));
    timers_.poll.Enable();
}

bool SessionTracker::CloseOpenSegment() {
    if (segmentOpen_) {
        const LocalMoment now = Look(true);
        if (segmentOpen_)
            EndSegment(now, std::nullopt, {});
        segmentOpen_ = false;
        awaitingStart_ = true;
    }
    WritePending();
    return pending_.empty();
}

bool SessionTracker::TryLookup(QString& rate) {
    try {
        rate = rates_.LookupRate();
        Cleared(Trouble::Lookup);
        return true;
    } catch (const Failure& failure) {
        Report(Trouble::Lookup, failure.message());
        return false;
    }
}

LocalMoment SessionTracker::Look(bool stillConnected) {
    const LocalMoment now = clock_.Now();
    const qint64 monotonic = clock_.MonotonicMsecs();
    if (looked_ && segmentOpen_) {
        const qint64 wall = AbsoluteMsecs(now) - AbsoluteMsecs(lastSeen_);
        const qint64 real = monotonic - lastMonotonic_;
        if (wall < real - JumpToleranceMsecs || wall > real + JumpToleranceMsecs) {
            // Set back, set forward or asleep: what lies between is not connection time.
            if (stillConnected) {
                QString rate = currentRate_; // the time of day changed: so may the rate
                TryLookup(rate);
                EndSegment(lastSeen_, now, rate);
            } else {
                EndSegment(lastSeen_, std::nullopt, {});
                awaitingStart_ = true;
            }
        }
    }
    lastSeen_ = now;
    lastMonotonic_ = monotonic;
    looked_ = true;
    return now;
}

std::optional<OpenSegment> SessionTracker::Live() const {
    if (!segmentOpen_)
        return std::nullopt;
    return OpenSegment{startDate_, startTime_, lastSeen_.date, lastSeen_.msecs, currentRate_};
}

void SessionTracker::EndSegment(LocalMoment end, const std::optional<LocalMoment>& next,
                                const QString& nextRate) {
    // Never a negative duration, whatever the clock did that went unnoticed; and a segment
    // that lasted no time at all is no record.
    if (AbsoluteMsecs(end) > AbsoluteMsecs({startDate_, startTime_}))
        pending_.push_back({startDate_, startTime_, end.date, end.msecs, currentRate_});
    segmentOpen_ = next.has_value();
    if (next) {
        startTime_ = next->msecs;
        startDate_ = next->date;
        currentRate_ = nextRate;
    }
    // The next poll comes one full interval after the write.
    timers_.poll.Disable();
    WritePending();
    timers_.poll.Enable();
}

void SessionTracker::WritePending() {
    while (!pending_.empty()) {
        try {
            // Each record goes with what is still open, in one transaction: after a crash
            // nothing is stored twice and the open segment is where it was.
            const bool last = pending_.size() == 1;
            writer_.Append(TariffBook::RecordOf(pending_.front()), last ? Live() : std::nullopt);
        } catch (const Failure& failure) {
            // Kept, and tried again at the next poll; told once until a write succeeds.
            Report(Trouble::Append, failure.message());
            return;
        }
        pending_.pop_front();
        Cleared(Trouble::Append);
    }
}

void SessionTracker::Keep() {
    if (!pending_.empty())
        return WritePending(); // the last of them carries the open segment
    try {
        writer_.Checkpoint(Live());
        Cleared(Trouble::Append);
    } catch (const Failure& failure) {
        Report(Trouble::Append, failure.message());
    }
}

void SessionTracker::Report(Trouble trouble, const QString& message) {
    bool& reported = reported_[int(trouble)];
    if (!reported)
        view_.ShowError(message);
    reported = true;
}
