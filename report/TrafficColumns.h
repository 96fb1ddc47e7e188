#pragma once
// Whether the records' traffic is shown: the grid's "Принято" and "Передано" columns, and with
// them the same columns of the printed report and of its CSV file. Off unless the user turns
// it on; kept in kelvora.ini as [Grid] Traffic = true, the key gone again when turned off.

#include <QString>
#include <optional>

class ProgramSettings;

struct TrafficColumnsRead {
    bool on = false;
    std::optional<QString> problem; // a value that could not be understood: then off
};
TrafficColumnsRead ReadTrafficColumns(const ProgramSettings& settings);
// Writes the key, or removes it; a message when the file could not be written (then nothing
// changed).
std::optional<QString> SaveTrafficColumns(ProgramSettings& settings, bool on);
// The setting as it stands in the data folder's kelvora.ini; off when it cannot be read.
bool TrafficColumnsOn(const QString& dataDirectory);
