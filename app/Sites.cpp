#include "Sites.h"

#include "about/Author.h"

const std::vector<Site>& Sites() {
    static const std::vector<Site> sites = {
        {"N16", QStringLiteral("Сайт разработчика"), Author::Site},
        {"Microsoft1", QStringLiteral("Microsoft в России"),
         QStringLiteral("https://www.microsoft.com/ru-ru/")},
        {"N23", QStringLiteral("Internet-Zone"), QStringLiteral("http://www.izone.ru/")},
        {"Borland1", QStringLiteral("Borland"), QStringLiteral("https://www.borland.com/")},
        {"Yandex1", QStringLiteral("Yandex"), QStringLiteral("https://www.yandex.ru/")},
        {"Rambler1", QStringLiteral("Rambler"), QStringLiteral("https://www.rambler.ru/")},
        {"Google1", QStringLiteral("Google"), QStringLiteral("https://www.google.ru/")},
        {"Fast1", QStringLiteral("Fast"), QStringLiteral("http://www.alltheweb.com/")},
        {"Yahoo1", QStringLiteral("Yahoo"), QStringLiteral("https://www.yahoo.com/")},
        {"N24", QStringLiteral("Апорт"), QStringLiteral("http://www.aport.ru/")},
        {"Narod1", QStringLiteral("Narod"), QStringLiteral("http://narod.ru/")},
    };
    return sites;
}
