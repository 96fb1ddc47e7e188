#pragma once
// Who makes the program and where to reach them.

#include <QString>

namespace Author {
inline const QString Name = QStringLiteral("команда Kelvora");
inline const QString Mail = QStringLiteral("kelvora@kelvora.example");
inline const QString Site = QStringLiteral("https://www.kelvora.example/");
inline const QString SiteText = QStringLiteral("www.kelvora.example");
} // namespace Author
