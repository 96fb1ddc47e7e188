#pragma once
// One copy of the program per data folder. A second start in the folder asks the copy that
// holds it to bring its window to the front (from the tray too) and ends, so starting the
// program from the menu while it runs shows it, rather than refusing with a message. The
// two meet on a local channel named after the folder, open to the same user only.

#include "platform/LocalChannel.h"

#include <QObject>
#include <functional>

class RunningCopy final : public QObject {
    Q_OBJECT
public:
    // The same for every copy started in `dataDirectory` by this user.
    static QString ChannelName(const QString& dataDirectory);
    // Asks the copy listening on `name` to show its window: true once it has said it will.
    static bool AskToShow(const QString& name, int waitMsecs = 3000);

    explicit RunningCopy(QObject* parent = nullptr);
    // The copy that holds the folder: `show` is called at each ask. False when the channel
    // cannot be opened (then a second start only says that the program runs).
    bool Listen(const QString& name, std::function<void()> show);

private:
    LocalChannel channel_;
};
