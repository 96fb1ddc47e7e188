#pragma once
// A line between two processes of the same user on one machine: one listens under a name,
// another connects, says one short line and reads one short line back. Linux: a Unix socket
// in the user's runtime folder, which only that user may enter. Windows: a named pipe open
// to the same user. Lines end with '\n' and are at most 64 bytes; anything longer is no
// line of ours and is dropped unanswered.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class LocalChannel final : public QObject {
public:
    // Given each line heard, returns the line to answer (empty: none).
    using Answer = std::function<QByteArray(const QByteArray& line)>;

    explicit LocalChannel(QObject* parent = nullptr);
    ~LocalChannel() override;

    // Listens under `name` from now on, answering in the event loop. A name left behind by
    // a process that ended without closing it is taken over, so call this only while
    // holding what makes the name this process's own (the data folder's lock). False when
    // the name cannot be opened.
    bool Listen(const QString& name, Answer answer);

    // Says `line` to whoever listens under `name` and returns the line it answered, or an
    // empty one when nobody listens or no answer came within `waitMsecs`. Blocks meanwhile.
    static QByteArray Ask(const QString& name, const QByteArray& line, int waitMsecs);

    static constexpr qsizetype LongestLine = 64;

private:
    struct Listener;
    std::unique_ptr<Listener> listener_;
};
