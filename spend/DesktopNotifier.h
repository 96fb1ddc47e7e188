#pragma once
// A desktop notification through org.freedesktop.Notifications on the session bus. When no
// notification service answers, the fallback shows it instead (the tray icon's message):
// never a box that waits for someone at the desk.

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    using Fallback = std::function<void(const QString& title, const QString& text)>;
    explicit DesktopNotifier(Fallback fallback, QObject* parent = nullptr);

    // Sent without waiting; the answer (or its absence) comes back through the loop. A
    // notification of a `group` shown before takes the place of the last one of that group
    // rather than stacking beside it; a `critical` one stays until it is dismissed.
    void Notify(const QString& title, const QString& text, const QString& group = {},
                bool critical = false);

signals:
    // The service took it (its id), or it went to the fallback.
    void Shown(uint id);
    void FellBack(const QString& title);

private:
    Fallback fallback_;
    QHash<QString, uint> lastShown_; // by group: the id the service gave its last one
};
