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
    // Throws RateLookupFailure when the tariff table cannot be read.
    virtual QString LookupRate() = 0;
};

// A finished piece of a connection, with the rate it was in force at.
struct Segment {
    QDate startDate;
    int startMsecs = 0;
    QDate endDate;
    int endMsecs = 0;
    QString rate;

    bool operator==(const Segment&) const = default;
};

class TariffBook final : public RateSource {
public:
    explicit TariffBook(const Clock& clock) : clock_(clock) {}
    // No table (not open yet, or it failed to open) means rate "0".
    void SetTable(const TariffTable* table) { table_ = table; }
    QString LookupRate() override;

    // The first period, in table order, that holds the moment; both ends inclusive. A
    // period whose start is later than its end runs across midnight. A period with an
    // empty start, end or price never matches.
    static QString LookupRate(const std::vector<TariffRow>& rows, int msecs);

    // EndTime - StartTime on the same date; across midnight, one day less StartTime plus
    // EndTime (23:59:59 and 0:00:01 added in that order).
    static double SessionDuration(const QDate& startDate, double startTime, const QDate& endDate,
                                  double endTime);

    // Charged from the hours, minutes and seconds of the duration's time text; each partial
    // passes through its number text before they are added. Throws Failure on a rate that
    // is no number.
    static QString SessionCharge(double duration, const QString& rate);

    // The row the session table stores for a finished segment.
    static SessionRecord RecordOf(const Segment& segment);

private:
    const Clock& clock_;
    const TariffTable* table_ = nullptr;
    std::vector<TariffRow> lastRead_; // the periods of the last read that succeeded
};
