#include "WindowSettings.h"

#include "storage/TextForms.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

const QString WindowSettings::FileName = QStringLiteral("int.ini");

namespace {
const QString Start = QStringLiteral("START");
const QString Form1 = QStringLiteral("Form1");

int IntegerOr(const IniFile& ini, const QString& section, const QString& key, int fallback) {
    const auto text = ini.Value(section, key);
    return text ? TextForms::TryParseInteger(*text).value_or(fallback) : fallback;
}
} // namespace

bool WindowSettings::Installed(const QString& executableDir) {
    const QString dir = QDir::cleanPath(QDir(executableDir).absolutePath());
    // Installed with its desktop entry under the same prefix (a package, `cmake --install`),
    // or in a folder of the system's programs: never written beside, even as root.
    if (QFileInfo::exists(QDir(dir).filePath(
            QStringLiteral("../share/applications/org.kelvora.Kelvora.desktop"))))
        return true;
    for (const QString& system :
         {QStringLiteral("/usr/"), QStringLiteral("/opt/"), QStringLiteral("/bin/"),
          QStringLiteral("/sbin/"), QStringLiteral("/snap/")})
        if ((dir + QLatin1Char('/')).startsWith(system))
            return true;
    return false;
}

QString WindowSettings::Locate(const QString& executableDir, const QString& configDir) {
    const QString inConfig = QDir(configDir).filePath(QStringLiteral("kelvora/") + FileName);
    if (Installed(executableDir))
        return inConfig;
    const QFileInfo beside(QDir(executableDir).filePath(FileName));
    const bool writable =
        beside.exists() ? beside.isWritable() : QFileInfo(executableDir).isWritable();
    if (writable)
        return beside.filePath();
    return inConfig;
}

int WindowSettings::ReadCountStart() const {
    return IntegerOr(IniFile(path_), Start, QStringLiteral("CountStart"), 0);
}

WindowGeometry WindowSettings::ReadGeometry(WindowGeometry g) const {
    const IniFile ini(path_);
    g.top = IntegerOr(ini, Form1, QStringLiteral("Top"), g.top);
    g.left = IntegerOr(ini, Form1, QStringLiteral("Left"), g.left);
    g.width = IntegerOr(ini, Form1, QStringLiteral("Width"), g.width);
    g.height = IntegerOr(ini, Form1, QStringLiteral("Height"), g.height);
    return g;
}

WindowGeometry WindowSettings::FitInto(WindowGeometry g, const QRect& available) {
    if (!available.isValid())
        return g;
    const auto fit = [](int value, int low, int high) {
        return std::max(low, std::min(value, high));
    };
    g.width = fit(g.width, std::min(MinWidth, available.width()), available.width());
    g.height = fit(g.height, std::min(MinHeight, available.height()), available.height());
    g.left = fit(g.left, available.left(),
                 std::max(available.left(), available.right() + 1 - std::min(Reach, g.width)));
    g.top = fit(g.top, available.top(),
                std::max(available.top(), available.bottom() + 1 - std::min(Reach, g.height)));
    return g;
}

void WindowSettings::Write(int countStart, const WindowGeometry& g) const {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    IniFile ini(path_);
    ini.SetValue(Start, QStringLiteral("CountStart"), QString::number(qint64(countStart) + 1));
    ini.SetValue(Form1, QStringLiteral("Top"), QString::number(g.top));
    ini.SetValue(Form1, QStringLiteral("Left"), QString::number(g.left));
    ini.SetValue(Form1, QStringLiteral("Width"), QString::number(g.width));
    ini.SetValue(Form1, QStringLiteral("Height"), QString::number(g.height));
    ini.Save();
}
