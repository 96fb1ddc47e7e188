#pragma once
// An INI file edited in place: sections and keys match without regard to case, and every
// line the program does not touch (comments, other sections, other keys) is kept as it was.

#include <QString>
#include <QStringList>
#include <optional>

class IniFile {
public:
    // A settings file this program writes holds a few hundred bytes; of anything larger
    // only the head is read (up to its last whole line), so a huge or endless file costs
    // no more memory than this.
    static constexpr qint64 MaxBytes = 64 * 1024;

    // Reads the file; a missing or unreadable file, or one that is no regular file, reads as
    // empty.
    explicit IniFile(QString path);
    // The file as these bytes, to be saved at `path`.
    IniFile(QString path, const QByteArray& content);

    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Replaces the key's value where it stands, or adds the key (and its section).
    void SetValue(const QString& section, const QString& key, const QString& value);
    // Writes the whole file at once (a new file moved over the old one). Throws Failure
    // "Unable to write to %s" with the path when the folder or file refuses it.
    void Save() const;

    const QString& Path() const { return path_; }
    const QStringList& Lines() const { return lines_; }

private:
    void Parse(const QByteArray& content);

    // Index of the section's header line, or -1.
    int FindSection(const QString& section) const;
    // Index of the key's line within the section starting at header, or -1.
    int FindKey(int header, const QString& key) const;
    int SectionEnd(int header) const;

    QString path_;
    QStringList lines_;
};
