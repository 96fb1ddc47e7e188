#include "CountedLink.h"

CountedLink::CountedLink(const QString& dataDirectory, InterfaceSource* interfaces)
    : settings_(dataDirectory), interfaces_(interfaces ? *interfaces : system_),
      addresses_(interfaces_, [this]() -> MeteredFlags& { return networkManager_; }),
      traffic_(interfaces_, addresses_.Choice(),
               [this]() -> MeteredFlags& { return networkManager_; }) {
    problem_ = settings_.Load();
    const LinkChoiceRead read = ReadLinkChoice(settings_);
    addresses_.SetChoice(read.choice);
    // Asked now, so that the answer is in before the first poll.
    if (read.choice.mode() == LinkMode::Metered)
        networkManager_.Start();
    if (!problem_)
        problem_ = read.problem;
}

std::optional<QString> CountedLink::Save(const LinkChoice& choice) {
    if (auto trouble = SaveLinkChoice(settings_, choice))
        return trouble;
    addresses_.SetChoice(choice);
    if (choice.mode() == LinkMode::Metered)
        networkManager_.Start();
    return std::nullopt;
}
