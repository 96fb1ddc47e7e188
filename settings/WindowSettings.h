#pragma once
// int.ini: the start counter and the main window's position and outer size.

#include "IniFile.h"

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

    // Beside the executable when that folder is writable; otherwise (an installed program)
    // in the user's configuration folder, so that it is read from where it is written.
    static QString Locate(const QString& executableDir, const QString& configDir);

    explicit WindowSettings(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    // START/CountStart (default 0) and Form1/Top, Left, Width, Height, each falling back to
    // what `geometry` holds when absent or not an integer.
    int ReadCountStart() const;
    WindowGeometry ReadGeometry(WindowGeometry geometry) const;
    // The counter raised by one and the geometry; other content of the file stays.
    // Throws Failure "Unable to write to %s".
    void Write(int countStart, const WindowGeometry& geometry) const;

private:
    QString path_;
};
