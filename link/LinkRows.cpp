#include "LinkRows.h"

QString MeteredText(std::optional<Metered> flag) {
    if (!flag)
        return QStringLiteral("—");
    switch (*flag) {
    case Metered::Yes:
        return QStringLiteral("да");
    case Metered::No:
        return QStringLiteral("нет");
    case Metered::GuessYes:
        return QStringLiteral("да (по догадке)");
    case Metered::GuessNo:
        return QStringLiteral("нет (по догадке)");
    case Metered::Unknown:
        break;
    }
    return QStringLiteral("неизвестно");
}

QList<LinkRow> LinkRows(const QList<NetInterface>& interfaces, const LinkChoice& choice,
                        MeteredFlags& metered,
                        const std::function<QString(const NetInterface&)>& kindOf) {
    const bool answers = metered.Answers();
    QList<LinkRow> rows;
    for (const NetInterface& link : interfaces) {
        LinkRow row;
        row.name = link.name;
        row.kind = kindOf(link);
        const QStringList addresses = link.ipv4 + link.ipv6;
        row.addresses =
            addresses.isEmpty() ? QStringLiteral("—") : addresses.join(QStringLiteral(", "));
        row.carrier = !link.up       ? QStringLiteral("выключен")
                      : link.running ? QStringLiteral("есть")
                                     : QStringLiteral("нет");
        row.metered = answers ? MeteredText(metered.FlagOf(link.name)) : QStringLiteral("—");
        row.listed = choice.Lists(link.name);
        rows << row;
    }
    return rows;
}
