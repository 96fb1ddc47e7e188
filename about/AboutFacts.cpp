#include "AboutFacts.h"

#include <cmath>

QString MemoryText(quint64 bytes) {
    const auto kilobytes = quint64(std::llround(double(bytes) / 1024.0));
    // "#,###": no digits at all for zero
    QString digits = kilobytes ? QString::number(kilobytes) : QString();
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0x00A0));
    return digits + QStringLiteral(" KB");
}
