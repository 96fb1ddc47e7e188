#pragma once
// One stored segment of a connection, every field but the date as the text it is kept in.

#include "Billing.h"
#include "Failure.h"
#include "Traffic.h"

#include <QDate>
#include <QString>
#include <optional>

struct SessionRecord {
    QDate date;        // the segment's start date (Data)
    QString startTime; // time text (WremN)
    QString endTime;   // time text (WremW)
    QString duration;  // time text (Itogo)
    QString rate;      // per hour, number text (Tarif)
    QString charge;    // number text (Summ)
    // Bytes received and sent (session_volume); none while the traffic was not counted.
    std::optional<Traffic> traffic = {};

    bool operator==(const SessionRecord&) const = default;

    // The fields as shown, in grid order: Data (as a date text), WremN, WremW, Itogo,
    // Tarif, Summ.
    QString FieldText(int index) const;
};

// The segment being timed, kept beside the records at every poll, so that a crash or a
// power loss costs at most one poll of connection time.
struct OpenSegment {
    QDate startDate;
    int startMsecs = 0;
    QDate lastDate; // the last moment the connection was seen
    int lastMsecs = 0;
    QString rate;
    ConnectionSoFar soFar = {}; // the connection's records before this segment
    Billing billing = {};       // the terms the connection began under
    // The segment's bytes so far (open_volume); none while the traffic is not counted.
    std::optional<Traffic> traffic = {};

    bool operator==(const OpenSegment&) const = default;
};

// The open segment kept in the file cannot be read back (written by hand, or damaged): its
// fields are in the message. It is set aside: the next checkpoint takes its place.
class DamagedSegment : public Failure {
public:
    using Failure::Failure;
};

// Where finished segments go. The session table is one; tests use their own.
class RecordWriter {
public:
    virtual ~RecordWriter() = default;
    // Stores the record as the newest row and, in the same transaction, what is still open
    // afterwards (nothing: no segment open), so a segment is never stored twice. Throws
    // Failure and stores nothing when it cannot.
    virtual void Append(const SessionRecord& record,
                        const std::optional<OpenSegment>& stillOpen) = 0;
    // Keeps the open segment (or that there is none). Throws Failure when it cannot.
    virtual void Checkpoint(const std::optional<OpenSegment>& open) = 0;
    // The segment a crash left open, if any. Throws DamagedSegment when it cannot be read or
    // cannot be what was on line before the present (`today` at `nowMsecs`), Failure when
    // the file cannot be read.
    virtual std::optional<OpenSegment> LeftOpen(const QDate& today, int nowMsecs) = 0;
};
