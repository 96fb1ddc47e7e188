#include "ProgramSettings.h"

#include "SmallFile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <filesystem>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {
QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString StatusText(QSettings::Status status) {
    return status == QSettings::FormatError ? QStringLiteral("это не файл настроек в формате INI")
                                            : QStringLiteral("нет доступа к файлу");
}
} // namespace

ProgramSettings::ProgramSettings(const QString& dataDirectory)
    : path_(QDir(dataDirectory).filePath(QString::fromLatin1(FileName))) {}

std::optional<QString> ProgramSettings::Load() {
    values_.clear();
    unreadable_ = false;
    // QSettings quietly reads a file it may not open as an empty one, waits on a pipe for
    // ever and reads a file of any size: look first.
    const SmallFile probe = ReadSmallFile(path_, MaxBytes);
    if (probe.state == SmallFile::State::Missing)
        return std::nullopt;
    if (probe.state != SmallFile::State::Read) {
        unreadable_ = true;
        return QStringLiteral("Файл настроек «%1» не читается: %2. Действуют настройки по "
                              "умолчанию; файл не будет перезаписан.")
            .arg(Shown(path_), probe.Why(MaxBytes));
    }
    QSettings file(path_, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        unreadable_ = true;
        return QStringLiteral("Файл настроек «%1» не читается: %2. Действуют настройки по "
                              "умолчанию; файл не будет перезаписан.")
            .arg(Shown(path_), StatusText(file.status()));
    }
    for (const QString& key : file.allKeys())
        values_.insert(key, file.value(key));
    return std::nullopt;
}

std::optional<QString> ProgramSettings::Save(const QVariantMap& changes) {
    const auto refused = [this](const QString& why) {
        return QStringLiteral("Не удалось записать файл настроек «%1»: %2. Настройки не "
                              "изменены.")
            .arg(Shown(path_), why);
    };
    if (unreadable_)
        return refused(QStringLiteral("прежний файл не читается, и он не будет перезаписан; "
                                      "исправьте или удалите его"));
    // Several parts of the program keep their own keys in the file (the link choice, the
    // budget, the alerts already sent), each through its own copy: what the file holds now
    // stands, and only the given keys go on top of it.
    QVariantMap next = values_;
    const SmallFile now = ReadSmallFile(path_, MaxBytes);
    if (now.state != SmallFile::State::Missing && now.state != SmallFile::State::Read)
        return refused(QStringLiteral("файл настроек не читается (%1), и он не будет "
                                      "перезаписан; исправьте или удалите его")
                           .arg(now.Why(MaxBytes)));
    if (now.state == SmallFile::State::Read) {
        QSettings current(path_, QSettings::IniFormat);
        if (current.status() != QSettings::NoError)
            return refused(StatusText(current.status()));
        next.clear();
        for (const QString& key : current.allKeys())
            next.insert(key, current.value(key));
    }
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isValid())
            next.insert(it.key(), it.value());
        else
            next.remove(it.key());
    }

    const QString temporary = path_ + QStringLiteral(".tmp");
    QFile::remove(temporary); // a leftover of a write that was cut short
    {
        QSettings file(temporary, QSettings::IniFormat);
        for (auto it = next.begin(); it != next.end(); ++it)
            file.setValue(it.key(), it.value());
        file.sync();
        if (file.status() != QSettings::NoError) {
            QFile::remove(temporary);
            return refused(StatusText(file.status()));
        }
    }
    QFile written(temporary);
    if (!written.open(QIODevice::ReadWrite)) {
        QFile::remove(temporary);
        return refused(written.errorString());
    }
#ifndef _WIN32
    // On the disk before it takes the old file's name, so a power loss leaves one whole file.
    if (::fsync(written.handle()) != 0) {
        written.close();
        QFile::remove(temporary);
        return refused(QStringLiteral("запись на диск не удалась"));
    }
#endif
    written.close();
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(path_.toStdU16String()), error);
    if (error) {
        QFile::remove(temporary);
        return refused(QString::fromLocal8Bit(error.message()));
    }
    values_ = next;
    return std::nullopt;
}
