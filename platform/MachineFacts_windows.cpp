#include "MachineFacts.h"

#include <windows.h>

namespace {
QString ReadMachineText(const wchar_t* value) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    QString text;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        text = QString::fromWCharArray(buffer); // up to the first NUL
    RegCloseKey(key);
    return text;
}
} // namespace

QString PrettyNameOf(const QByteArray&) {
    return {};
}
QString OwnerFrom(const QString& gecos, const QString& login) {
    return gecos.isEmpty() ? login : gecos;
}

QString SystemFacts::OperatingSystem() {
    return ReadMachineText(L"ProductName");
}

quint64 SystemFacts::PhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

QString SystemFacts::RegisteredOwner() {
    return ReadMachineText(L"RegisteredOwner");
}
