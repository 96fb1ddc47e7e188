#pragma once
// The memory line of the about box: kilobytes rounded to a whole number, grouped by three
// with the Russian thousands separator (a no-break space), then " KB": 262 144 KB.

#include <QString>

QString MemoryText(quint64 bytes);
