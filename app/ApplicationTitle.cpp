#include "ApplicationTitle.h"

#include <QFileInfo>

QString ApplicationTitle(const QString& executablePath) {
    const QString name = QFileInfo(executablePath).fileName().section(QLatin1Char('.'), 0, 0);
    return name.left(1) + name.mid(1).toLower();
}
