#include "OptionsFile.h"

#include "SmallFile.h"
#include "platform/FileKind.h"
#include "platform/Windows1251.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <climits>
#include <limits>

const QString OptionsFile::FileName = QStringLiteral("options.dn");

namespace {
QByteArray Shift(const QByteArray& text, int by) {
    QByteArray shifted(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        shifted[i] = char(quint8(quint8(text[i]) + by)); // wraps within the byte
    return shifted;
}
} // namespace

QByteArray ShiftCodesUp(const QByteArray& text) {
    return Shift(text, 2);
}
QByteArray ShiftCodesDown(const QByteArray& text) {
    return Shift(text, -2);
}

QByteArray ToWindows1251(const QString& text) {
    return EncodeWindows1251(text);
}

QString FromWindows1251(const QByteArray& bytes) {
    return DecodeWindows1251(bytes);
}

std::optional<QString> PasswordRefusal(const QString& password) {
    for (const QChar c : password)
        if (c.unicode() == 8 || c.unicode() == 11)
            return QStringLiteral("Пароль не может содержать управляющие символы с кодами 8 "
                                  "и 11.");
    bool ok = false;
    const QByteArray bytes = EncodeWindows1251(password, &ok);
    if (!ok || FromWindows1251(bytes) != password)
        return QStringLiteral("Пароль может состоять только из букв, цифр и знаков, которые "
                              "есть в кодировке Windows-1251 (русские и латинские буквы).");
    return std::nullopt;
}

OptionsLines SplitOptions(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    bool endsWithNewline = bytes.endsWith('\n');
    if (endsWithNewline)
        lines.removeLast(); // the empty text after the last line end is no line
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    OptionsLines result;
    result.flag = lines.value(0);
    result.password = lines.value(1);
    result.interval = lines.value(2);
    result.intervalMissing = lines.size() < 3;
    return result;
}

QByteArray JoinOptions(const Options& options) {
    return JoinOptions(options.startMinimised, options.password, options.pollSeconds);
}

QByteArray JoinOptions(bool startMinimised, const QString& password, int interval) {
    return QByteArray(startMinimised ? "1" : "0") + "\r\n" + ShiftCodesUp(ToWindows1251(password)) +
           "\r\n" + QByteArray::number(interval) + "\r\n";
}

std::optional<QString> PollIntervalRefusal(qint64 seconds) {
    // Beyond 32 bits the number was clamped on reading; it would only mislead.
    const bool shown = seconds > INT_MIN && seconds < INT_MAX;
    if (seconds < 0)
        return shown ? QStringLiteral("Интервал опроса не может быть отрицательным: %1 с.")
                           .arg(seconds)
                     : QStringLiteral("Интервал опроса не может быть отрицательным.");
    if (seconds > LongestPollSeconds)
        return (shown ? QStringLiteral("Интервал опроса %1 с слишком велик").arg(seconds)
                      : QStringLiteral("Интервал опроса слишком велик")) +
               QStringLiteral(": наибольший — %1 с (почти 25 суток).").arg(LongestPollSeconds);
    return std::nullopt;
}

std::optional<qint64> WideIntegerIn(QStringView text) {
    if (const auto value = TextForms::TryParseInteger(text.toString()))
        return *value;
    // The same forms as TextForms::ParseInteger: blanks, a sign, "$", "x", "X", "0x" or "0X".
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (text.mid(i).startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool digit = (c >= '0' && c <= '9') ||
                           (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        if (!digit)
            return std::nullopt;
    }
    // Only an integer that fits reads above, so this one is too large for 32 bits.
    return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

OptionsFile::OptionsFile(const QString& dataDirectory)
    : path_(QDir(dataDirectory).filePath(FileName)) {}

namespace {
// The file's bytes, or nothing when there is no file or it cannot be opened (then nothing
// changes, silently). Throws Failure naming a file that is no settings file of ours.
std::optional<QByteArray> OptionsBytes(const QString& path) {
    const SmallFile read = ReadSmallFile(path, LargestOptionsFile);
    switch (read.state) {
    case SmallFile::State::Read:
        return read.bytes;
    case SmallFile::State::Missing:
    case SmallFile::State::Unreadable:
        return std::nullopt;
    case SmallFile::State::TooLarge:
        throw Failure(QStringLiteral("Файл настроек «%1» повреждён: он больше %2 КБ, а "
                                     "настройки занимают несколько строк. Он не прочитан и не "
                                     "изменён; действуют прежние настройки.")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(LargestOptionsFile / 1024));
    case SmallFile::State::NotAFile:
        break;
    }
    throw Failure(QStringLiteral("Файл настроек «%1» не прочитан: %2. Действуют прежние "
                                 "настройки.")
                      .arg(QDir::toNativeSeparators(path), read.Why(LargestOptionsFile)));
}
} // namespace

std::optional<QString> OptionsFile::ReadPassword() const {
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    // A file others could read, from an older copy or a copy by hand: the owner's alone now,
    // not only once it is next saved.
    if (FactsOf(path_).kind == FileKind::Regular && (QFile::permissions(path_) & others))
        QFile::setPermissions(
            path_, QFile::permissions(path_) &
                       (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    try {
        if (const auto bytes = OptionsBytes(path_))
            return FromWindows1251(ShiftCodesDown(SplitOptions(*bytes).password));
    } catch (const Failure&) {
        // told when the whole file is loaded
    }
    return std::nullopt;
}

LoadedOptions OptionsFile::Load() const {
    LoadedOptions loaded;
    std::optional<QByteArray> bytes;
    try {
        bytes = OptionsBytes(path_);
    } catch (const Failure& failure) {
        loaded.failure = failure.message();
    }
    if (!bytes)
        return loaded;
    const OptionsLines lines = SplitOptions(*bytes);
    if (lines.flag == "0" || lines.flag == "1")
        loaded.startMinimised = lines.flag == "1";
    loaded.password = FromWindows1251(ShiftCodesDown(lines.password));
    const QString interval = FromWindows1251(lines.interval);
    const auto wide = WideIntegerIn(interval);
    if (!wide) {
        try {
            TextForms::ParseInteger(interval); // throws, naming the text
        } catch (const Failure& failure) {
            loaded.failure = failure.message();
        }
        return loaded;
    }
    if (const auto refusal = PollIntervalRefusal(*wide))
        loaded.failure =
            *refusal + QStringLiteral(" (файл «%1»)").arg(QDir::toNativeSeparators(path_));
    else
        loaded.pollSeconds = int(*wide);
    return loaded;
}

void OptionsFile::Save(const Options& options) const {
    const QByteArray bytes = JoinOptions(options);
    QSaveFile file(path_);
    // The new file replaces the old one, so its permissions are the ones that count; they
    // are set before a byte of the password is in it.
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                    file.write(bytes) == bytes.size() && file.commit();
    if (!ok)
        throw Failure(QStringLiteral("Настройки не сохранены: не удалось записать файл «%1» (%2).")
                          .arg(QDir::toNativeSeparators(path_), file.errorString()));
}
