#include "OptionsFile.h"

#include "platform/Windows1251.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

const QString OptionsFile::FileName = QStringLiteral("options.dn");

namespace {
QByteArray Shift(const QByteArray& text, int by) {
    QByteArray shifted(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        shifted[i] = char(quint8(quint8(text[i]) + by)); // wraps within the byte
    return shifted;
}
} // namespace

QByteArray ShiftCodesUp(const QByteArray& text) { return Shift(text, 2); }
QByteArray ShiftCodesDown(const QByteArray& text) { return Shift(text, -2); }

QByteArray ToWindows1251(const QString& text) { return EncodeWindows1251(text); }

QString FromWindows1251(const QByteArray& bytes) { return DecodeWindows1251(bytes); }

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

QByteArray JoinOptions(bool startMinimised, const QString& password, int interval) {
    return QByteArray(startMinimised ? "1" : "0") + "\r\n" +
           ShiftCodesUp(ToWindows1251(password)) + "\r\n" + QByteArray::number(interval) +
           "\r\n";
}

std::optional<QString> PollIntervalRefusal(qint64 seconds) {
    if (seconds < 0)
        return QStringLiteral("Интервал опроса не может быть отрицательным: %1 с.").arg(seconds);
    if (seconds > LongestPollSeconds)
        return QStringLiteral("Интервал опроса %1 с слишком велик: наибольший — %2 с (почти "
                              "25 суток).")
            .arg(seconds)
            .arg(LongestPollSeconds);
    return std::nullopt;
}

OptionsFile::OptionsFile(const QString& dataDirectory, Passwords& passwords, OptionsHooks hooks)
    : path_(QDir(dataDirectory).filePath(FileName)), passwords_(passwords),
      hooks_(std::move(hooks)) {}

void OptionsFile::LoadOptions() {
    // Queued input, painting and timer events run before the file is read.
    QCoreApplication::processEvents();
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const OptionsLines lines = SplitOptions(file.readAll());
    if (lines.flag == "0") {
        hooks_.setStartMinimised(false);
    } else if (lines.flag == "1") {
        hooks_.setStartMinimised(true);
        hooks_.hideToTray();
    }
    passwords_.stored = FromWindows1251(ShiftCodesDown(lines.password));
    const int seconds = TextForms::ParseInteger(FromWindows1251(lines.interval));
    if (const auto refusal = PollIntervalRefusal(seconds))
        throw Failure(*refusal + QStringLiteral(" (файл «%1»)").arg(QDir::toNativeSeparators(path_)));
    hooks_.setPollField(seconds);
    hooks_.applyPollInterval(seconds);
}

void OptionsFile::SaveOptions() {
    const QByteArray bytes =
        JoinOptions(hooks_.startMinimised(), passwords_.stored, hooks_.pollField());
    QSaveFile file(path_);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                    file.commit();
    if (!ok)
        throw Failure(QStringLiteral("Настройки не сохранены: не удалось записать файл «%1» (%2).")
                          .arg(QDir::toNativeSeparators(path_), file.errorString()));
}
