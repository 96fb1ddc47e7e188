#include "FileKind.h"

#include <windows.h>

// The volume serial number and the file index name a file on Windows as st_dev and st_ino
// do elsewhere.
FileFacts FactsOf(const QString& path) {
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    FileFacts facts;
    BY_HANDLE_FILE_INFORMATION info = {};
    const DWORD type = GetFileType(file);
    if (type != FILE_TYPE_DISK) {
        facts.kind = FileKind::Stream; // NUL, CON, a named pipe
    } else if (GetFileInformationByHandle(file, &info)) {
        facts.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Directory
                                                                        : FileKind::Regular;
        facts.identity = FileIdentity{info.dwVolumeSerialNumber,
                                      (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
        if (facts.kind == FileKind::Regular)
            facts.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    }
    CloseHandle(file);
    return facts;
}
