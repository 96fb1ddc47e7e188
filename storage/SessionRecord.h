#pragma once
// One stored segment of a connection, every field but the date as the text it is kept in.

#include <QDate>
#include <QString>

struct SessionRecord {
    QDate data;    // the segment's start date
    QString wremN; // start time, time text
    QString wremW; // end time, time text
    QString itogo; // duration, time text
    QString tarif; // rate per hour, number text
    QString summ;  // charge, number text

    bool operator==(const SessionRecord&) const = default;
};

// Where finished segments go. The session table is one; tests use their own.
class RecordWriter {
public:
    virtual ~RecordWriter() = default;
    // Stores the record as the newest row, or throws Failure and stores nothing.
    virtual void Append(const SessionRecord& record) = 0;
};
