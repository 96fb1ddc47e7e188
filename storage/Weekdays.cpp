#include "Weekdays.h"

#include <QStringList>

namespace Weekdays {

std::optional<QString> Normal(const QString& days) {
    bool seen[8] = {};
    for (const QChar c : days) {
        if (c < QLatin1Char('1') || c > QLatin1Char('7') || seen[c.unicode() - '0'])
            return std::nullopt;
        seen[c.unicode() - '0'] = true;
    }
    QString normal;
    for (int d = 1; d <= 7; ++d)
        if (seen[d])
            normal += QChar(u'0' + d);
    return normal.size() == 7 ? QString() : normal;
}

bool Contains(const QString& days, int day) {
    return days.isEmpty() || days.contains(QChar(u'0' + day));
}

QString ShortText(const QString& days) {
    static const char16_t* const names[] = {u"пн", u"вт", u"ср", u"чт", u"пт", u"сб", u"вс"};
    const QString normal = Normal(days).value_or(days);
    if (normal.isEmpty())
        return QStringLiteral("все");
    // Runs of three days or more are written as a range, shorter ones one by one.
    QStringList parts;
    for (int d = 1; d <= 7;) {
        if (!Contains(normal, d)) {
            ++d;
            continue;
        }
        int last = d;
        while (last < 7 && Contains(normal, last + 1))
            ++last;
        if (last - d >= 2) {
            parts << QString::fromUtf16(names[d - 1]) + QChar(u'–') +
                         QString::fromUtf16(names[last - 1]);
        } else {
            for (int k = d; k <= last; ++k)
                parts << QString::fromUtf16(names[k - 1]);
        }
        d = last + 1;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace Weekdays
