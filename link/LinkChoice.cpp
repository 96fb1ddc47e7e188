#include "LinkChoice.h"

#include "settings/ProgramSettings.h"

namespace {
const QString ModeKey = QStringLiteral("Link/Mode");
const QString InterfacesKey = QStringLiteral("Link/Interfaces");
} // namespace

LinkChoice::LinkChoice(LinkMode mode, QStringList patterns)
    : mode_(mode), patterns_(std::move(patterns)) {
    for (const QString& pattern : patterns_)
        compiled_ << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern));
}

bool LinkChoice::Valid() const {
    for (const QRegularExpression& pattern : compiled_)
        if (!pattern.isValid())
            return false;
    return true;
}

bool LinkChoice::Lists(const QString& name) const {
    for (const QRegularExpression& pattern : compiled_)
        if (pattern.match(name).hasMatch())
            return true;
    return false;
}

QString ModeWord(LinkMode mode) {
    switch (mode) {
    case LinkMode::Chosen:
        return QStringLiteral("chosen");
    case LinkMode::Metered:
        return QStringLiteral("metered");
    case LinkMode::All:
        break;
    }
    return QStringLiteral("all");
}

std::optional<LinkMode> ModeOfWord(const QString& word) {
    for (LinkMode mode : {LinkMode::All, LinkMode::Chosen, LinkMode::Metered})
        if (word.trimmed().compare(ModeWord(mode), Qt::CaseInsensitive) == 0)
            return mode;
    return std::nullopt;
}

QStringList PatternsOf(const QStringList& texts) {
    QStringList patterns;
    for (const QString& text : texts)
        for (const QString& part : text.split(QLatin1Char(',')))
            if (const QString pattern = part.trimmed(); !pattern.isEmpty())
                patterns << pattern;
    return patterns;
}

LinkChoiceRead ReadLinkChoice(const ProgramSettings& settings) {
    LinkChoiceRead read;
    const QStringList patterns = PatternsOf(settings.Value(InterfacesKey).toStringList());
    QStringList wrong;
    for (const QString& pattern : patterns)
        if (!LinkChoice(LinkMode::Chosen, {pattern}).Valid())
            wrong << pattern;
    if (!wrong.isEmpty())
        read.problem = QStringLiteral("В файле настроек «%1» в [Link] Interfaces не поняты "
                                      "образцы: %2 (например, скобка [ не закрыта). Им не "
                                      "подходит ни одно подключение; исправьте их в "
                                      "«Подключение...».")
                           .arg(settings.Path(), wrong.join(QStringLiteral(", ")));
    const QVariant word = settings.Value(ModeKey);
    if (!word.isValid()) {
        read.choice = LinkChoice(LinkMode::All, patterns);
        return read;
    }
    const QString text = word.toStringList().join(QLatin1Char(','));
    if (const auto mode = ModeOfWord(text)) {
        read.choice = LinkChoice(*mode, patterns);
    } else {
        read.choice = LinkChoice(LinkMode::All, patterns);
        const QString said = QStringLiteral("В файле настроек «%1» значение [Link] Mode = «%2» "
                                            "не понято (ожидается all, chosen или metered): "
                                            "считаются все подключения, пока вы не выберете в "
                                            "«Подключение...».")
                                 .arg(settings.Path(), text);
        read.problem = read.problem ? said + QLatin1Char('\n') + *read.problem : said;
    }
    return read;
}

std::optional<QString> SaveLinkChoice(ProgramSettings& settings, const LinkChoice& choice) {
    return settings.Save({{ModeKey, ModeWord(choice.mode())},
                          {InterfacesKey, choice.patterns().join(QStringLiteral(", "))}});
}
