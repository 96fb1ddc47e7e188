#pragma once
// One line of the link dialog's list per interface, in the user's words.

#include "LinkFilter.h"

struct LinkRow {
    QString name;
    QString kind;
    QString addresses; // IPv4 then global IPv6, comma-separated; "—" when none
    QString carrier;   // "есть", "нет", or "выключен" for an interface that is down
    QString metered;   // as the network manager reports it; "—" when it says nothing
    bool listed = false; // the choice's names or patterns take it in
};

// `kindOf` gives an interface's kind (the system's facts are read by the caller).
QList<LinkRow> LinkRows(const QList<NetInterface>& interfaces, const LinkChoice& choice,
                        MeteredFlags& metered,
                        const std::function<QString(const NetInterface&)>& kindOf);

QString MeteredText(std::optional<Metered> flag);
