#pragma once
// options.dn: three lines ended by CR LF in Windows-1251: the start-minimised flag ("1" or
// "0"), the password with every byte raised by 2 (wrapping within the byte), and the poll
// interval in seconds. Written whole or not at all, readable by its owner only.

#include "Passwords.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

QByteArray ShiftCodesUp(const QByteArray& text);
QByteArray ShiftCodesDown(const QByteArray& text);

QByteArray ToWindows1251(const QString& text);
QString FromWindows1251(const QByteArray& bytes);

// The three lines as read: a line ends at CR LF or LF alone; lines past the end are empty
// and marked missing; anything after the third line is ignored.
struct OptionsLines {
    QByteArray flag;
    QByteArray password;
    QByteArray interval;
    bool intervalMissing = false;
};
OptionsLines SplitOptions(const QByteArray& bytes);
QByteArray JoinOptions(bool startMinimised, const QString& password, int interval);

// 0 stops polling; 1 to 2147483 seconds are taken. Why another value is refused.
std::optional<QString> PollIntervalRefusal(qint64 seconds);
// Reads an integer in the forms ParseInteger takes, without its 32-bit limit: a well-formed
// integer too large for 32 bits reads as the 64-bit bound of its sign, so that it is refused
// as out of range rather than taken for no number. Nothing for a text that is no integer.
std::optional<qint64> WideIntegerIn(QStringView text);
// options.dn holds two short lines and the password (at most 32767 characters, the longest
// the password field takes); a file larger than this is damaged and is not read.
constexpr qint64 LargestOptionsFile = 64 * 1024;
constexpr int LongestPollSeconds = 2147483; // its milliseconds still fit a signed 32-bit int

// What loading and saving reach in the program around them.
struct OptionsHooks {
    std::function<bool()> startMinimised; // the check mark of "Запускать в свернутом виде"
    std::function<void(bool)> setStartMinimised;
    std::function<void()> hideToTray;
    std::function<int()> pollField; // the poll-interval dialog's field
    std::function<void(int)> setPollField;
    std::function<void(int)> applyPollInterval;
};

class OptionsFile {
public:
    static const QString FileName; // "options.dn"

    OptionsFile(const QString& dataDirectory, Passwords& passwords, OptionsHooks hooks);
    const QString& Path() const { return path_; }
    void SetHooks(OptionsHooks hooks) { hooks_ = std::move(hooks); }

    // Applies the file in order: the flag (hiding to the tray when it is "1"), the password,
    // the interval. A file that cannot be opened changes nothing, silently. Throws Failure
    // "'%s' is not a valid integer value" for a third line that is no integer, or the refusal
    // of an interval out of range; the first two lines have taken effect by then. A file too
    // large to be one of ours, or one that is no regular file (a pipe, a device, a folder),
    // changes nothing, is not opened, and throws Failure naming it.
    void LoadOptions();
    // The password line alone, read before any window takes input, so that the gate is
    // closed from the start; nothing else is applied and nothing is told (LoadOptions tells).
    // A file that others may read or write is made the owner's alone first.
    void ReadPassword();
    // Writes the three settings as they are in memory, with permissions for the owner only
    // (the password line is merely disguised). Throws Failure naming the file and the reason
    // when it cannot be written; the old file then stays as it was.
    void SaveOptions();

private:
    QString path_;
    Passwords& passwords_;
    OptionsHooks hooks_;
};
