#pragma once
// One copy of the program per data folder. The lock is the kernel's, held through an open
// file for as long as the process lives: it goes with the process however that ends (a
// crash, kill -9, a power loss), so whatever a lock file holds never blocks a start; only a
// running copy does.

#include <QString>

class InstanceLock {
public:
    enum class State {
        Taken,         // this process holds the lock until it ends or the object goes
        HeldByAnother, // a running process holds it
        Unavailable    // the lock file cannot be opened (a read-only folder, say), or is a
                       // link or no ordinary file, which is never written
    };

    explicit InstanceLock(const QString& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries once, without waiting. Taking writes the process id into the file, for people.
    State TryTake();
    // Why the file could not be opened, after Unavailable.
    const QString& ErrorText() const { return error_; }

private:
    QString path_;
    QString error_;
    qintptr handle_ = -1; // a descriptor on Linux, a HANDLE on Windows
};
