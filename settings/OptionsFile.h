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

// What options.dn holds, as the program keeps it between loading and saving.
struct Options {
    bool startMinimised = false; // "Запускать в свернутом виде"
    QString password;            // the stored password; empty: none
    // As the poll-interval dialog shows it: 0 until a file sets it, while the tracker polls at
    // its own default; saved so, a file made by the other two settings holds "0".
    int pollSeconds = 0;
};
QByteArray JoinOptions(const Options& options);

// What one reading of options.dn found. Its lines count in order: a refusal of the third line
// leaves the first two read; a file that is no settings file of ours leaves all three unread.
struct LoadedOptions {
    std::optional<bool> startMinimised; // the first line was "0" or "1"
    std::optional<QString> password;
    std::optional<int> pollSeconds;
    std::optional<QString> failure; // why the file or its third line was refused
};

// The options as the program holds them, loaded from the file and saved back whole; each
// throws Failure naming the file and the reason.
class OptionsStore {
public:
    virtual ~OptionsStore() = default;
    virtual void LoadOptions() = 0;
    virtual void SaveOptions() = 0;
};

class OptionsFile {
public:
    static const QString FileName; // "options.dn"

    explicit OptionsFile(const QString& dataDirectory);
    const QString& Path() const { return path_; }

    // Reads the three lines. A file that cannot be opened reads as nothing, silently. A third
    // line that is no integer is refused with "'%s' is not a valid integer value", one out of
    // range with its refusal. A file too large to be one of ours, or one that is no regular
    // file (a pipe, a device, a folder), is not opened and is refused naming it.
    LoadedOptions Load() const;
    // The password line alone, read before any window takes input, so that the gate is
    // closed from the start; nothing when there is no file to read (Load tells why).
    // A file that others may read or write is made the owner's alone first.
    std::optional<QString> ReadPassword() const;
    // Writes the three settings, with permissions for the owner only (the password line is
    // merely disguised). Throws Failure naming the file and the reason when it cannot be
    // written; the old file then stays as it was.
    void Save(const Options& options) const;

private:
    QString path_;
};
