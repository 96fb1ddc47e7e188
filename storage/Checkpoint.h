#pragma once
// The open segment as the session table keeps it, read back from its row's values: every
// field as the program writes it, and a segment that can have been on line before the
// present. Anything else is no checkpoint, however it came there.

#include "SessionRecord.h"

#include <QVariantList>

namespace Checkpoint {

// The columns in order: StartDate, StartTime, LastDate, LastTime, Rate, Seconds, Charges,
// Records, Unit, Fee, Minimum.
constexpr int Columns = 11;

// `row` holds each value as the file gives it: qint64 for an integer, double for a real,
// QString for a text, an invalid QVariant for NULL. None when the row is no checkpoint: a
// field out of its form or range, billing terms the tariff file would refuse, a last moment
// after the present or before the start, or a start before the day ahead of the last
// moment's date (the open segment is cut at every midnight).
std::optional<OpenSegment> Read(const QVariantList& row, const QDate& today, int nowMsecs);

} // namespace Checkpoint
