#pragma once
// int.ini: the start counter and the main window's position and outer size.

#include "IniFile.h"

#include <QRect>

struct WindowGeometry {
    int left = 202;
    int top = 110;
    int width = 613;
    int height = 353;
    bool operator==(const WindowGeometry&) const = default;
};

class WindowSettings {
public:
    static const QString FileName; // "int.ini"

    // Beside the executable when that folder is writable and the program is not installed
    // (run from where it was built); otherwise in the user's configuration folder, so that
    // it is read from where it is written.
    static QString Locate(const QString& executableDir, const QString& configDir);
    // Whether the executable's folder is that of an installed program.
    static bool Installed(const QString& executableDir);

    explicit WindowSettings(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    // START/CountStart (default 0) and Form1/Top, Left, Width, Height, each falling back to
    // what `geometry` holds when absent or not an integer.
    int ReadCountStart() const;
    WindowGeometry ReadGeometry(WindowGeometry geometry) const;
    // The geometry made to fit the screen's free area: no larger than it, the top-left
    // corner on it with room enough for the title bar to be grabbed. A huge size would
    // cost memory for every pixel; a place off the screen would leave the window unseen.
    static WindowGeometry FitInto(WindowGeometry geometry, const QRect& available);
    static constexpr int MinWidth = 120;
    static constexpr int MinHeight = 80;
    static constexpr int Reach = 100; // what stays on the screen right of and below the corner
    // The counter raised by one and the geometry; other content of the file stays.
    // Throws Failure "Unable to write to %s".
    void Write(int countStart, const WindowGeometry& geometry) const;

private:
    QString path_;
};
