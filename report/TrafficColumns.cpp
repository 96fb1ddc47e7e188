#include "TrafficColumns.h"

#include "settings/ProgramSettings.h"

#include <QDir>

namespace {
const QString Key = QStringLiteral("Grid/Traffic");
} // namespace

TrafficColumnsRead ReadTrafficColumns(const ProgramSettings& settings) {
    const QVariant value = settings.Value(Key);
    if (!value.isValid())
        return {};
    // QSettings gives a list for a value with commas in it.
    const QString text = value.toStringList().join(QLatin1Char(','));
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("1"))
        return {true, std::nullopt};
    if (word == QLatin1String("false") || word == QLatin1String("0"))
        return {};
    return {false, QStringLiteral("В файле настроек «%1» значение [Grid] Traffic = «%2» не понято: "
                                  "трафик в таблице не показывается.")
                       .arg(QDir::toNativeSeparators(settings.Path()), text)};
}

std::optional<QString> SaveTrafficColumns(ProgramSettings& settings, bool on) {
    // Off is the default and leaves no key, so the file is as it was before it was turned on.
    return settings.Save({{Key, on ? QVariant(QStringLiteral("true")) : QVariant()}});
}

bool TrafficColumnsOn(const QString& dataDirectory) {
    ProgramSettings settings(dataDirectory);
    return !settings.Load() && ReadTrafficColumns(settings).on;
}
