#include "Autostart.h"

#include "storage/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

const QString Autostart::EntryName = QStringLiteral("org.kelvora.Kelvora.desktop");

namespace {
// A string value of a desktop entry: backslash and line ends escaped.
QString StringValue(QString text) {
    return text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
}

[[noreturn]] void Refused(const QString& path, const QString& what, const QString& reason) {
    throw Failure(QStringLiteral("Не удалось %1 файл автозапуска «%2»: %3.")
                      .arg(what, QDir::toNativeSeparators(path), reason));
}
} // namespace

Autostart::Autostart(QString configFolder, QString program, QString dataFolder)
    : configFolder_(std::move(configFolder)), program_(std::move(program)),
      dataFolder_(std::move(dataFolder)) {}

QString Autostart::EntryPath() const {
    return QDir(configFolder_).filePath(QStringLiteral("autostart/") + EntryName);
}

bool Autostart::IsOn() const {
    QFile file(EntryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.trimmed().startsWith("Hidden=") && line.trimmed().mid(7).trimmed() == "true")
            return false;
    return true;
}

QString Autostart::ExecArgument(const QString& argument) {
    // Reserved characters call for double quotes, inside which " ` $ and \ are escaped; the
    // whole value is then a string, whose own escape doubles every backslash again. A
    // percent sign is always doubled.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString text = argument;
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    bool quote = text.isEmpty();
    for (const QChar c : text)
        quote = quote || reserved.contains(c);
    if (quote) {
        QString escaped;
        for (const QChar c : text) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                escaped += QLatin1Char('\\');
            escaped += c;
        }
        text = QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    return StringValue(text);
}

QString Autostart::EntryText() const {
    const QFileInfo program(program_);
    const QString launcher = program.dir().filePath(QStringLiteral("kelvora-desktop"));
    const QString launcherFolder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("kelvora"));
    const bool byLauncher =
        QFileInfo(launcher).isExecutable() &&
        QDir(dataFolder_).canonicalPath() == QDir(launcherFolder).canonicalPath();
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Kelvora\n"
                                  "Comment=Keep an account of the time spent on line\n"
                                  "Comment[ru]=Учёт времени подключения к Интернету\n"
                                  "Icon=kelvora\n"
                                  "Terminal=false\n");
    // TryExec: once the program is removed (a package purged), the entry starts nothing at
    // the next login instead of failing there.
    if (byLauncher) {
        text += QStringLiteral("Exec=%1\n").arg(ExecArgument(launcher));
        text += QStringLiteral("TryExec=%1\n").arg(StringValue(launcher));
    } else {
        text += QStringLiteral("Exec=%1\n").arg(ExecArgument(program.absoluteFilePath()));
        text += QStringLiteral("TryExec=%1\n").arg(StringValue(program.absoluteFilePath()));
        text += QStringLiteral("Path=%1\n").arg(StringValue(QDir(dataFolder_).absolutePath()));
    }
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text;
}

void Autostart::TurnOn() const {
    const QString path = EntryPath();
    if (!QDir().mkpath(QFileInfo(path).path()))
        Refused(path, QStringLiteral("записать"), QStringLiteral("нельзя создать папку"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        Refused(path, QStringLiteral("записать"), file.errorString());
    file.write(EntryText().toUtf8());
    if (!file.commit())
        Refused(path, QStringLiteral("записать"), file.errorString());
}

void Autostart::TurnOff() const {
    QFile file(EntryPath());
    if (file.exists() && !file.remove())
        Refused(file.fileName(), QStringLiteral("удалить"), file.errorString());
}
