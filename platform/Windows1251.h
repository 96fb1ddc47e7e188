#pragma once
// Windows-1251, the code page of options.dn, through the system's own converter (glibc's
// iconv here, the code page API on Windows): light, and no table of our own.

#include <QByteArray>
#include <QString>

// Returns false in `*ok` when a character has no place in Windows-1251.
QByteArray EncodeWindows1251(const QString& text, bool* ok = nullptr);
QString DecodeWindows1251(const QByteArray& bytes);
