#pragma once
// Starting at login: an entry in the XDG autostart folder ($XDG_CONFIG_HOME/autostart) that
// starts the program in its data folder, so that connections are timed from the start of
// the desktop session without the user having to remember.

#include <QString>

class Autostart {
public:
    static const QString EntryName; // "org.kelvora.Kelvora.desktop"

    // `configFolder` is $XDG_CONFIG_HOME; `program` the running executable; `dataFolder`
    // the folder the program keeps its tables in.
    Autostart(QString configFolder, QString program, QString dataFolder);

    QString EntryPath() const;
    // On when our entry is there and not switched off by the desktop (Hidden=true).
    bool IsOn() const;
    // Each throws Failure naming the file and the reason; the folder is made when missing.
    void TurnOn() const;
    void TurnOff() const;

    // The entry: the installed launcher when the data folder is the launcher's, else the
    // program itself in the data folder.
    QString EntryText() const;
    // One argument of an Exec line, quoted as desktop entries require.
    static QString ExecArgument(const QString& argument);

private:
    QString configFolder_;
    QString program_;
    QString dataFolder_;
};
