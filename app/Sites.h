#pragma once
// The sites menu: each entry opens one fixed web address in the default browser.

#include <QString>
#include <vector>

struct Site {
    const char* name; // the menu entry's object name
    QString caption;
    QString address;
};

const std::vector<Site>& Sites();
