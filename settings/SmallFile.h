#pragma once
// Reading a settings file that is meant to be small and ordinary. A pipe with no writer
// would wait for ever and a device may never end, so only a regular file is opened; of a
// file larger than the limit only the head is read, so a huge file costs no more than that.

#include <QByteArray>
#include <QString>

struct SmallFile {
    enum class State {
        Missing,   // nothing by that name
        Read,      // `bytes` holds the whole file
        TooLarge,  // larger than the limit; `bytes` holds its head, limit bytes long
        NotAFile,  // a folder, a pipe, a device or a socket: not opened
        Unreadable // `error` says why
    };
    State state = State::Missing;
    QByteArray bytes;
    QString error;

    // Why the file was not read, for a message: "это папка", "это не обычный файл ...",
    // "он больше 64 КБ" or the system's reason; empty when it was read or is missing.
    QString Why(qint64 limit) const;
};

SmallFile ReadSmallFile(const QString& path, qint64 limit);
