#pragma once
// Whether the system's network manager counts an interface's traffic as paid for.

#include <QString>
#include <optional>

// NetworkManager's NMMetered values, as its Device.Metered property holds them.
enum class Metered : unsigned { Unknown = 0, Yes = 1, No = 2, GuessYes = 3, GuessNo = 4 };

inline bool CountsAsMetered(Metered flag) {
    return flag == Metered::Yes || flag == Metered::GuessYes;
}

class MeteredFlags {
public:
    virtual ~MeteredFlags() = default;
    // Whether a network manager answers at all; without one, nothing is known.
    virtual bool Answers() = 0;
    // The flag of the device that carries the named interface; nothing when no device does.
    virtual std::optional<Metered> FlagOf(const QString& interfaceName) = 0;
};
