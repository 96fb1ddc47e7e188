#pragma once
// Which link the program times: every interface (the default), the interfaces the user
// chose by name or pattern, or those the system's network manager marks as metered.
// Kept in kelvora.ini as [Link] Mode and [Link] Interfaces.

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <optional>

class ProgramSettings;

enum class LinkMode { All, Chosen, Metered };

class LinkChoice {
public:
    LinkChoice() = default;
    LinkChoice(LinkMode mode, QStringList patterns);

    LinkMode mode() const { return mode_; }
    // Names or shell-style patterns ("ppp*", "wwan?", "enx*"), as the user wrote them.
    const QStringList& patterns() const { return patterns_; }
    // Whether every pattern can be understood ("ppp[" cannot: it fits no name).
    bool Valid() const;
    // Whether the interface's name fits one of the patterns.
    bool Lists(const QString& name) const;

    bool operator==(const LinkChoice& other) const {
        return mode_ == other.mode_ && patterns_ == other.patterns_;
    }

private:
    LinkMode mode_ = LinkMode::All;
    QStringList patterns_;
    QList<QRegularExpression> compiled_;
};

// "all", "chosen", "metered": the words of the file.
QString ModeWord(LinkMode mode);
std::optional<LinkMode> ModeOfWord(const QString& word);
// "ppp*, wwan0" or a list of such texts (QSettings splits at unquoted commas), to patterns.
QStringList PatternsOf(const QStringList& texts);

struct LinkChoiceRead {
    LinkChoice choice;
    std::optional<QString> problem; // a value that could not be understood, and what stands
};
// From the loaded settings; a missing key means the default.
LinkChoiceRead ReadLinkChoice(const ProgramSettings& settings);
// Writes both keys; a message when the file could not be written (then nothing changed).
std::optional<QString> SaveLinkChoice(ProgramSettings& settings, const LinkChoice& choice);
