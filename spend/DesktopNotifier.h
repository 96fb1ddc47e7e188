#pragma once
// A desktop notification through org.freedesktop.Notifications on the session bus. When no
// notification service answers, the fallback shows it instead (the tray icon's message):
// never a box that waits for someone at the desk.

#include <QObject>
#include <QString>
#include <functional>

class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    using Fallback = std::function<void(const QString& title, const QString& text)>;
    explicit DesktopNotifier(Fallback fallback, QObject* parent = nullptr);

    // Sent without waiting; the answer (or its absence) comes back through the loop.
    void Notify(const QString& title, const QString& text);

signals:
    // The service took it (its id), or it went to the fallback.
    void Shown(uint id);
    void FellBack(const QString& title);

private:
    Fallback fallback_;
};
