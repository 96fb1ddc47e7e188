#pragma once
// The report's two totals: the money charged, summed with compensation (Neumaier) in
// extended precision and written as a number text only at the end (0,1 and 0,2 make 0,3;
// a hundred thousand charges keep every digit the text shows), and the connection time, summed
// as hours, minutes and seconds read piece by piece from the durations, with the carries
// done once at the end and the hours not reduced (30:0:0).

#include "storage/SessionTable.h"

#include <QString>

// A duration text's pieces, as views into its UTF-8 bytes.
struct DurationPieces {
    QByteArrayView hours;   // before the first colon (all of it without one)
    QByteArrayView minutes; // between the first and the second colon
    QByteArrayView seconds; // at most three characters after the second colon
};

// Splits a duration text, trimmed of blanks and control characters, into its pieces.
DurationPieces SplitDuration(QByteArrayView duration);

class ReportTotals {
public:
    // A charge's number text as UTF-8 bytes. Throws Failure "'%s' is not a valid floating
    // point value".
    void AddCharge(QByteArrayView charge);
    // A duration's time text as UTF-8 bytes. Throws Failure "'%s' is not a valid integer
    // value" for a piece that is no integer.
    void AddDuration(QByteArrayView duration);

    long double Money() const { return money_ + moneyCarry_; }
    QString MoneyText() const;     // "0,3"
    QString TimeText() const;      // "Общ. время работы - 1:0:15"
    QString TimeValueText() const; // "1:0:15"

    // Both totals over a range of the session table. When several texts are bad, the first
    // bad charge is reported before any bad duration.
    static ReportTotals Of(const SessionTable& table, const SessionRange& range);
    // The bytes of the range's records that have them; none when no record has.
    static std::optional<Traffic> TrafficOf(const SessionTable& table, const SessionRange& range);

private:
    // The running sum and what rounding has dropped from it so far.
    long double money_ = 0;
    long double moneyCarry_ = 0;
    qint64 hours_ = 0;
    qint64 minutes_ = 0;
    qint64 seconds_ = 0;
};
