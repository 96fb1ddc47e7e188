#include "SessionTracker.h"

#include "storage/DateTimeValue.h"
#include "storage/Decimal.h"
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

void SessionTracker::Start() {
    segmentOpen_ = false;
    awaitingStart_ = true;
    startTime_ = 0;
    elapsed_ = 0;
    soFar_ = {};
    view_.ShowStatus(Starting);
    rereadRate_ = true;
    recovered_ = false;
    startedUp_ = false;
    // A segment a crash left open is stored now, ending at its last checkpoint; when the
    // file cannot be opened yet, before anything else is written to it.
    WritePending();
    timers_.startup.Enable();
}

bool SessionTracker::Recover() {
    if (recovered_)
        return true;
    std::optional<OpenSegment> left;
    try {
        const LocalMoment now = clock_.Now();
        left = writer_.LeftOpen(now.date, now.msecs);
    } catch (const DamagedSegment& damaged) {
        // Told, and set aside: the next checkpoint takes its place.
        view_.ShowError(damaged.message());
    } catch (const Failure& failure) {
        Report(Trouble::Append, failure.message());
        return false; // nothing may be written over it before it is read
    }
    if (left && left->traffic && !ledger_ && !startedUp_)
        return false; // its bytes are priced by the tariff, read at the start-up step
    recovered_ = true;
    if (!left)
        return true;
    // The crash ended that connection: its last piece is charged as a connection's last,
    // by what the checkpoint kept of the connection.
    ConnectionSoFar soFar = left->soFar;
    Segment ended{left->startDate, left->startMsecs, left->lastDate, left->lastMsecs, left->rate};
    ended.traffic = left->traffic;
    const std::vector<Segment> pieces = Finished(ended, soFar, left->billing, true, Pricing());
    pending_.insert(pending_.begin(), pieces.begin(), pieces.end());
    if (pieces.empty()) {
        // Nothing to store; what is open now takes its place (tried again at the next poll).
        try {
            writer_.Checkpoint(OpenSegmentNow());
        } catch (const Failure&) {
        }
    }
    return true;
}

std::vector<Segment> SessionTracker::SplitAtMidnights(const Segment& segment) {
    std::vector<Segment> pieces;
    Segment piece = segment;
    const auto add = [&pieces](Segment p) {
        // A record's time text drops whole days: a whole day is kept as two halves.
        if (p.startMsecs == 0 && p.endMsecs == 0 && p.endDate == p.startDate.addDays(1)) {
            Segment morning = p;
            morning.endDate = p.startDate;
            morning.endMsecs = NoonMsecs;
            pieces.push_back(morning);
            p.startMsecs = NoonMsecs;
        }
        pieces.push_back(p);
    };
    while (piece.startDate.isValid() && piece.startDate < segment.endDate) {
        // Each day's piece runs up to midnight itself, the first moment of the next date.
        piece.endDate = piece.startDate.addDays(1);
        piece.endMsecs = 0;
        if (AbsoluteMsecs({piece.endDate, 0}) >= AbsoluteMsecs({segment.endDate, segment.endMsecs}))
            break;
        add(piece);
        piece.startDate = piece.endDate;
        piece.startMsecs = 0;
    }
    piece.endDate = segment.endDate;
    piece.endMsecs = segment.endMsecs;
    add(piece);
    // A segment of no time is no record.
    std::erase_if(pieces, [](const Segment& p) {
        return AbsoluteMsecs({p.endDate, p.endMsecs}) <= AbsoluteMsecs({p.startDate, p.startMsecs});
    });
    return pieces;
}

std::vector<Segment> SessionTracker::Placed(std::vector<Segment> pieces, ConnectionSoFar& soFar,
                                            const Billing& billing, bool endsConnection,
                                            const TrafficPrice& price) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Segment& piece = pieces[i];
        piece.before = soFar;
        piece.billing = billing;
        piece.last = endsConnection && i + 1 == pieces.size();
        if (price && piece.traffic)
            price(piece, std::vector<Segment>(pieces.begin(), pieces.begin() + qsizetype(i)));
        try {
            soFar = TariffBook::With(soFar, TariffBook::RecordOf(piece));
        } catch (const Failure&) {
            // A piece that cannot be priced is told when it is written; its time still
            // counts towards the connection's steps.
            const Segment plain{piece.startDate, piece.startMsecs, piece.endDate, piece.endMsecs,
                                QStringLiteral("0")};
            soFar.seconds = TariffBook::With(soFar, TariffBook::RecordOf(plain)).seconds;
        }
    }
    if (endsConnection)
        soFar = {};
    return pieces;
}

std::vector<Segment> SessionTracker::Finished(const Segment& segment, ConnectionSoFar& soFar,
                                              const Billing& billing, bool endsConnection,
                                              const TrafficPrice& price) {
    std::vector<Segment> pieces = SplitAtMidnights(segment);
    if (segment.traffic && pieces.size() > 1) {
        // Cut at a midnight between two readings: shared in proportion to time, exactly.
        std::vector<qint64> weights;
        for (const Segment& p : pieces)
            weights.push_back(AbsoluteMsecs({p.endDate, p.endMsecs}) -
                              AbsoluteMsecs({p.startDate, p.startMsecs}));
        const auto rx = ShareInProportion(segment.traffic->rx, weights);
        const auto tx = ShareInProportion(segment.traffic->tx, weights);
        for (std::size_t i = 0; i < pieces.size(); ++i)
            pieces[i].traffic = Traffic{rx[i], tx[i]};
    }
    // A connection that ends with a piece of no time (it ended at the very moment of a split)
    // is still finished by its terms: a record of no time carries what they add.
    const bool closing = endsConnection && pieces.empty() && soFar.records > 0;
    if (closing) {
        pieces.push_back({segment.startDate, segment.startMsecs, segment.startDate,
                          segment.startMsecs, segment.rate});
        if (segment.traffic) // what moved in no time still counts
            pieces.back().traffic = segment.traffic;
    }
    pieces = Placed(std::move(pieces), soFar, billing, endsConnection, price);
    if (closing) {
        bool adds = false;
        try {
            adds = !Decimal::Of(TariffBook::RecordOf(pieces.back()).charge).IsZero();
        } catch (const Failure&) {
        }
        if (!adds)
            pieces.pop_back();
    }
    return pieces;
}

void SessionTracker::StartUp() {
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
    startedUp_ = true;
    WritePending(); // a segment a crash left with bytes waited for the tariff
    timers_.poll.Enable();
}

void SessionTracker::Poll() {
    WritePending(); // segments an earlier append could not store
    const bool connected = probe_.IsConnected();
    const LocalMoment now = CheckClocks(connected);
    if (connected) {
        if (rereadRate_) {
            // Time is never lost to the tariff file: when it cannot be read, the connection
            // starts at the rate the periods read last give, and the watch looks again.
            TryLookup(currentRate_);
            rereadRate_ = false;
        }
        timers_.ticker.Enable();
        timers_.watch.Enable();
        if (awaitingStart_) {
            startTime_ = now.msecs;
            startDate_ = now.date;
            // A new connection, billed to its end by the terms in force as it begins.
            soFar_ = {};
            billing_ = rates_.Terms();
            // Its bytes count from here: what moved off line is not the connection's.
            meter_.Forget();
            openTraffic_ = {};
        }
        openTraffic_ += TakeTraffic();
        awaitingStart_ = false;
        segmentOpen_ = true;
        StoreProgress();
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

void SessionTracker::Tick(int ticks) {
    CheckClocks(true);
    elapsed_ += ticks;
    view_.ShowStatus(Online + TextForms::TimeText(DateTimeValue::FromMsecs(elapsed_ * 1000LL)));
}

void SessionTracker::WatchTariff() {
    if (!segmentOpen_)
        return;
    const LocalMoment now = CheckClocks(true);
    if (!segmentOpen_)
        return;
    QString rate = currentRate_;
    TryLookup(rate); // when it fails, the rate in force stays, and midnight still splits
    if (now.date > startDate_) {
        // A new date: the day's segment ends at midnight and the next begins there, however
        // late this tick comes.
        EndSegment({now.date, 0}, LocalMoment{now.date, 0}, rate);
        return;
    }
    if (rate == currentRate_)
        return;
    // The rate in force changed: the open segment ends at this moment and the next begins
    // at the very same moment, at the rate just looked up.
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
        const LocalMoment now = CheckClocks(true);
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
        lastGoodRate_ = rate;
        Cleared(Trouble::Lookup);
        return true;
    } catch (const RateLookupFailure& failure) {
        rate = failure.fallback;
        Report(Trouble::Lookup, failure.message());
    } catch (const Failure& failure) {
        rate = lastGoodRate_;
        Report(Trouble::Lookup, failure.message());
    }
    return false;
}

LocalMoment SessionTracker::CheckClocks(bool stillConnected) {
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

std::optional<OpenSegment> SessionTracker::OpenSegmentNow() const {
    if (!segmentOpen_)
        return std::nullopt;
    return OpenSegment{startDate_,   startTime_, lastSeen_.date, lastSeen_.msecs,
                       currentRate_, soFar_,     billing_,       OpenTraffic()};
}

std::optional<Traffic> SessionTracker::OpenTraffic() const {
    if (!counters_ || !segmentOpen_)
        return std::nullopt;
    return openTraffic_;
}

void SessionTracker::CountTraffic(CounterSource* counters, TrafficLedger* ledger) {
    if (counters && !counters_) {
        meter_.Forget();
        openTraffic_ = {};
        if (segmentOpen_)
            TakeTraffic(); // notes where the counters stand
    }
    counters_ = ledger ? counters : nullptr;
    ledger_ = counters_ ? ledger : nullptr;
}

Traffic SessionTracker::TakeTraffic() {
    if (!counters_)
        return {};
    const qint64 now = clock_.MonotonicMsecs();
    const auto interfaces = counters_->Counters();
    if (!interfaces) {
        meter_.Forget(); // so that no interface is taken for a new one at the next reading
        return {};
    }
    const auto step = meter_.Read(
        *interfaces, [this](const QString& name) { return counters_->Counted(name); },
        now - lastCounted_);
    lastCounted_ = now;
    if (step.jumps.isEmpty())
        Cleared(Trouble::Traffic);
    else
        Report(Trouble::Traffic,
               QStringLiteral("Счётчик трафика интерфейса %1 изменился больше, чем канал мог "
                              "передать за это время; это изменение не учтено.")
                   .arg(step.jumps.join(QStringLiteral(", "))));
    return step.moved;
}

SessionTracker::TrafficPrice SessionTracker::Pricing() {
    if (!ledger_)
        return {};
    return [this](Segment& piece, const std::vector<Segment>& earlier) {
        PriceTraffic(piece, earlier);
    };
}

void SessionTracker::PriceTraffic(Segment& piece, const std::vector<Segment>& earlier) {
    piece.trafficTerms = ledger_->Terms();
    if (piece.trafficTerms.PricesNothing())
        return;
    const QDate period = ledger_->PeriodStart(piece.startDate);
    quint64 used = 0;
    try {
        used = ledger_->StoredInPeriod(piece.startDate);
    } catch (const Failure& failure) {
        // Priced as if the package were whole: never more than is owed.
        Report(Trouble::Traffic, failure.message());
    }
    const auto add = [&](const Segment& s) {
        if (s.traffic && ledger_->PeriodStart(s.startDate) == period)
            used += s.traffic->rx + s.traffic->tx;
    };
    std::for_each(pending_.begin(), pending_.end(), add);
    std::for_each(earlier.begin(), earlier.end(), add);
    piece.periodUsedBefore = used;
}

void SessionTracker::EndSegment(LocalMoment end, const std::optional<LocalMoment>& next,
                                const QString& nextRate) {
    Segment ended{startDate_, startTime_, end.date, end.msecs, currentRate_};
    if (counters_) {
        // What moved up to now is the ending segment's; the next counts from here.
        ended.traffic = openTraffic_ += TakeTraffic();
        openTraffic_ = {};
    }
    // Cut at every midnight it runs across, as a connection that ends before the watch sees
    // the new date: each record holds its own day. Never a negative duration, whatever the
    // clock did.
    for (Segment& piece : Finished(ended, soFar_, billing_, !next.has_value(), Pricing()))
        pending_.push_back(std::move(piece));
    segmentOpen_ = next.has_value();
    if (next) {
        startTime_ = next->msecs;
        startDate_ = next->date;
        currentRate_ = nextRate;
    }
    // The next poll comes one full interval after the write. With no record to write (the
    // segment had no time), what the table keeps open still changes: the next, or none.
    timers_.poll.Disable();
    StoreProgress();
    timers_.poll.Enable();
}

void SessionTracker::WritePending() {
    if (!Recover())
        return;
    while (!pending_.empty()) {
        const Segment& segment = pending_.front();
        std::optional<SessionRecord> record;
        try {
            record = TariffBook::RecordOf(segment);
        } catch (const Failure& failure) {
            // A segment whose record cannot be made (a rate that is no number) is told with
            // its fields and set aside; it never holds up the ones behind it.
            view_.ShowError(QStringLiteral("Подключение %1 %2 – %3 %4 по тарифу «%5» не "
                                           "записано: %6")
                                .arg(segment.startDate.toString(Qt::ISODate),
                                     TariffTable::StoredTime(segment.startMsecs),
                                     segment.endDate.toString(Qt::ISODate),
                                     TariffTable::StoredTime(segment.endMsecs), segment.rate,
                                     failure.message()));
            pending_.pop_front();
            continue;
        }
        try {
            // Each record goes with what is still open, in one transaction: after a crash
            // nothing is stored twice and the open segment is where it was.
            writer_.Append(*record, OpenSegmentNow());
        } catch (const Failure& failure) {
            // Kept, and tried again at the next poll; told once until a write succeeds.
            Report(Trouble::Append, failure.message());
            return;
        }
        pending_.pop_front();
        Cleared(Trouble::Append);
    }
}

void SessionTracker::StoreProgress() {
    // Each record carries the open segment; with none to write, it is kept alone.
    if (!pending_.empty())
        return WritePending();
    if (!Recover())
        return;
    if (!pending_.empty())
        return WritePending();
    try {
        writer_.Checkpoint(OpenSegmentNow());
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
