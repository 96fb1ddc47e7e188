#pragma once
// What a path names, as far as writing a file there is concerned, and which file it is:
// two paths (a link, another spelling, a hard link) name the same file when their
// identities are equal.

#include <QString>
#include <optional>

enum class FileKind {
    Missing, // nothing there (yet)
    Regular, // an ordinary file: replaced whole when written
    Directory,
    Stream // a device, a pipe or a socket: written into, never replaced
};

struct FileIdentity {
    quint64 device = 0;
    quint64 file = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FileFacts {
    FileKind kind = FileKind::Missing;
    std::optional<FileIdentity> identity; // none when missing
    qint64 size = -1;                     // in bytes, of a regular file
};

// Follows symbolic links.
FileFacts FactsOf(const QString& path);
