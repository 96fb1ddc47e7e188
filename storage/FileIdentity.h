#pragma once
// Which file a path names right now: the device and the file number, so a file deleted,
// moved away or replaced under the same name is told from the one the program opened.

#include <QString>
#include <optional>

struct FileIdentity {
    quint64 device = 0;
    quint64 file = 0;

    bool operator==(const FileIdentity&) const = default;

    // The file at `path`, following links; none when nothing is there.
    static std::optional<FileIdentity> Of(const QString& path);
};
