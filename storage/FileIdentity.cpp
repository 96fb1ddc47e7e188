#include "FileIdentity.h"

#include <QFile>

#ifdef _WIN32
#include <windows.h>

std::optional<FileIdentity> FileIdentity::Of(const QString& path) {
    HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
#else
#include <sys/stat.h>

std::optional<FileIdentity> FileIdentity::Of(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino)};
}
#endif
