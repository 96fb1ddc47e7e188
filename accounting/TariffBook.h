#pragma once
// Money questions of the accounting: the rate in force now, how long a segment lasted and
// what it cost. Rates and charges travel as number texts, durations as day fractions.

#include "Clock.h"
#include "storage/SessionRecord.h"
#include "storage/TariffTable.h"

#include <QString>
#include <vector>

#include "storage/Failure.h"

// The tariff table could not be read; `fallback` is the rate in force now by the periods
// read last (rate "0" when none were ever read), so a connection is timed all the same.
class RateLookupFailure : public Failure {
public:
    RateLookupFailure(QString message, QString fallback)
        : Failure(std::move(message)), fallback(std::move(fallback)) {}
    QString fallback;
};

// Where the tracker takes the rate in force; TariffBook is the real one.
class RateSource {
public:
    virtual ~RateSource() = default;
    // The rate in force now as a number text, "0" when no period covers this moment.
    // Throws RateLookupFailure when the tariff table cannot be read, or rows of it were
    // left out as written wrong (the fallback is then the rate the others give).
    virtual QString LookupRate() = 0;
    // The billing terms as of the last lookup; a connection is billed by the terms it
    // began under.
    virtual Billing Terms() const { return {}; }
    // The traffic terms, read with the billing terms.
    virtual TrafficTerms Traffic() const { return {}; }
};

// A finished piece of a connection, with the rate it was in force at.
struct Segment {
    QDate startDate;
    int startMsecs = 0;
    QDate endDate;
    int endMsecs = 0;
    QString rate;
    // Its place in the connection, for the charge rule: what the connection stored before
    // it, whether it is the connection's last, and the terms the connection is billed by.
    ConnectionSoFar before = {};
    bool last = false;
    Billing billing = {};
    // Its bytes, while the traffic is counted, and what they are priced by: the terms, and
    // the bytes of its billing period stored before it (the package is spent in order).
    std::optional<Traffic> traffic = {};
    TrafficTerms trafficTerms = {};
    quint64 periodUsedBefore = 0;

    bool operator==(const Segment&) const = default;
};

class TariffBook final : public RateSource {
public:
    explicit TariffBook(const Clock& clock) : clock_(clock) {}
    // No table (not open yet, or it failed to open) means rate "0".
    // The periods are read at once, so that a later failure to read them falls back on these.
    void SetTable(const TariffTable* table);
    QString LookupRate() override;
    Billing Terms() const override { return billing_; }
    TrafficTerms Traffic() const override { return traffic_; }

    // The weekday periods are matched as on that date: its own, or the one its holiday
    // counts as. 0 for no date.
    static int DayOf(const QDate& date, const std::vector<Holiday>& holidays);
    // The first period, in table order, that holds the moment: its days hold the date's
    // weekday and its times the time of day, both ends inclusive. A period whose start is
    // later than its end runs across midnight and covers both ends of each of its days. A
    // period with an empty start, end or price never matches.
    static const TariffRow* RowInForce(const std::vector<TariffRow>& rows,
                                       const std::vector<Holiday>& holidays, const QDate& date,
                                       int msecs);
    // The price of that period as a number text, "0" when there is none.
    static QString LookupRate(const std::vector<TariffRow>& rows,
                              const std::vector<Holiday>& holidays, const QDate& date, int msecs);
    // The same without a date: only periods of every day match.
    static QString LookupRate(const std::vector<TariffRow>& rows, int msecs);

    // EndTime - StartTime on the same date; across midnight, one day less StartTime plus
    // EndTime (23:59:59 and 0:00:01 added in that order).
    static double SessionDuration(const QDate& startDate, double startTime, const QDate& endDate,
                                  double endTime);

    // Charged from the hours, minutes and seconds of the duration's time text; each partial
    // passes through its number text before they are added. Throws Failure on a rate that
    // is no number.
    static QString SessionCharge(double duration, const QString& rate);
    // The same for a number of whole seconds, which may exceed a day.
    static QString ChargeOfSeconds(qint64 seconds, const QString& rate);
    // The whole seconds of a time text (9:05:07).
    static qint64 SecondsOf(const QString& timeText);

    // The row the session table stores for a finished segment: its time at its rate, its
    // bytes beyond what is left of the period's package at their price, and by the
    // connection's billing terms: the fee on the connection's first record; on its
    // last, the connection's time rounded up to whole steps at the last segment's rate and
    // whatever the connection's charges still lack of the minimum.
    static SessionRecord RecordOf(const Segment& segment);
    // The connection's records so far, with one more.
    static ConnectionSoFar With(const ConnectionSoFar& soFar, const SessionRecord& record);

private:
    // Reads the table, unless nothing was written to it since the last read. Throws Failure.
    void Read();

    const Clock& clock_;
    const TariffTable* table_ = nullptr;
    // What the last read that succeeded gave.
    std::vector<TariffRow> lastRead_;
    std::vector<Holiday> holidays_;
    Billing billing_;
    TrafficTerms traffic_;
    std::optional<TariffTable::Mark> readAt_; // the table's mark at the last read
    QString setAside_;                        // the rows the last read left out, and why
};
