#include "IniFile.h"

#include "SmallFile.h"
#include "storage/Failure.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {
bool IsSectionLine(const QString& line) {
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']'));
}
QString SectionName(const QString& line) {
    const QString t = line.trimmed();
    return t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
}
} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {
    // A pipe, a device or a folder by that name reads as empty, without waiting on it.
    SmallFile read = ReadSmallFile(path_, MaxBytes);
    if (read.state == SmallFile::State::TooLarge) {
        // Cut off: a line torn in two is no line of ours.
        read.bytes.truncate(read.bytes.lastIndexOf('\n') + 1);
    }
    Parse(read.bytes);
}

IniFile::IniFile(QString path, const QByteArray& content) : path_(std::move(path)) {
    Parse(content);
}

void IniFile::Parse(const QByteArray& content) {
    const QString text = QString::fromLocal8Bit(content);
    lines_ = text.split(QLatin1Char('\n'));
    for (QString& line : lines_)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines_.isEmpty() && lines_.last().isEmpty())
        lines_.removeLast();
}

int IniFile::FindSection(const QString& section) const {
    for (int i = 0; i < lines_.size(); ++i)
        if (IsSectionLine(lines_[i]) &&
            SectionName(lines_[i]).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::SectionEnd(int header) const {
    int i = header + 1;
    while (i < lines_.size() && !IsSectionLine(lines_[i]))
        ++i;
    return i;
}

int IniFile::FindKey(int header, const QString& key) const {
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const int eq = lines_[i].indexOf(QLatin1Char('='));
        if (eq > 0 && !lines_[i].trimmed().startsWith(QLatin1Char(';')) &&
            lines_[i].left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
    const int header = FindSection(section);
    const int line = header < 0 ? -1 : FindKey(header, key);
    if (line < 0)
        return std::nullopt;
    return lines_[line].mid(lines_[line].indexOf(QLatin1Char('=')) + 1).trimmed();
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    int header = FindSection(section);
    if (header < 0) {
        lines_ << QStringLiteral("[%1]").arg(section);
        header = int(lines_.size()) - 1;
    }
    const QString entry = key + QLatin1Char('=') + value;
    const int line = FindKey(header, key);
    if (line >= 0) {
        lines_[line] = entry;
        return;
    }
    // After the section's last non-blank line, so a blank separator line stays last.
    int at = SectionEnd(header);
    while (at > header + 1 && lines_[at - 1].trimmed().isEmpty())
        --at;
    lines_.insert(at, entry);
}

void IniFile::Save() const {
    QSaveFile file(path_);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        const QByteArray bytes =
            (lines_.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLocal8Bit();
        ok = file.write(bytes) == bytes.size() && file.commit();
    }
    if (!ok)
        throw Failure(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path_)));
}
