#pragma once
// kelvora.ini beside data.db: the program's own settings that the fixed formats of
// options.dn and int.ini cannot hold, as "Group/Key" values in Qt's INI format. Read once,
// kept in memory, and written whole through a temporary file, so that a failed write leaves
// both the file and the values in memory as they were.

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

class ProgramSettings {
public:
    static constexpr const char* FileName = "kelvora.ini";
    // The program writes a few hundred bytes; a file larger than this is not one of its own
    // and is not read. A folder, a pipe or a device by that name is not opened.
    static constexpr qint64 MaxBytes = 1024 * 1024;

    explicit ProgramSettings(const QString& dataDirectory);
    QString Path() const { return path_; }

    // Reads the file afresh. A missing file is an empty one; a file that cannot be read, or
    // is not an INI file, leaves every value unset and comes back as a message. Such a file is
    // never written over (see Save).
    std::optional<QString> Load();

    // The value of "Group/Key", or an invalid QVariant when it is not set.
    QVariant Value(const QString& key) const { return values_.value(key); }

    // Sets the given keys on top of the others as the file holds them now (another copy
    // may have written it since; a key given an invalid QVariant goes) and writes the whole file
    // through a temporary one in the same folder. On failure nothing changes, on disk or here, and
    // the message says why.
    std::optional<QString> Save(const QVariantMap& changes);

private:
    QString path_;
    QVariantMap values_;
    bool unreadable_ = false; // the last Load found a file it could not read
};
