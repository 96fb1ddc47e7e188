#include "InstanceLock.h"

#include <windows.h>

// LockFileEx on an open handle: like flock, the system drops it when the process ends.

InstanceLock::InstanceLock(const QString& path) : path_(path) {}

InstanceLock::~InstanceLock() {
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

InstanceLock::State InstanceLock::TryTake() {
    if (handle_ != -1)
        return State::Taken;
    const HANDLE file =
        CreateFileW(reinterpret_cast<const wchar_t*>(path_.utf16()), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = QStringLiteral("ошибка Windows %1").arg(GetLastError());
        return State::Unavailable;
    }
    OVERLAPPED whole = {};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &whole)) {
        const DWORD why = GetLastError();
        CloseHandle(file);
        if (why == ERROR_LOCK_VIOLATION)
            return State::HeldByAnother;
        error_ = QStringLiteral("ошибка Windows %1").arg(why);
        return State::Unavailable;
    }
    handle_ = reinterpret_cast<qintptr>(file);
    return State::Taken;
}
