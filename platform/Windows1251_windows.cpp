#include "Windows1251.h"

#include <windows.h>

QByteArray EncodeWindows1251(const QString& text, bool* ok) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, wide, int(text.size()),
                                         nullptr, 0, nullptr, &lossy);
    QByteArray out(size, '\0');
    WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), size,
                        nullptr, &lossy);
    if (ok)
        *ok = !lossy;
    return out;
}

QString DecodeWindows1251(const QByteArray& bytes) {
    const int size = MultiByteToWideChar(1251, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    QString out(size, QChar());
    MultiByteToWideChar(1251, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
}
