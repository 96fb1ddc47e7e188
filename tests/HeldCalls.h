#pragma once
// A D-Bus service that hangs: every call it gets is held, unanswered, until the test
// answers it. Registered on a connection of the test's own that owns the service's name.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <algorithm>

class HeldCalls final : public QDBusVirtualObject {
public:
    QList<QDBusMessage> calls;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        message.setDelayedReply(true);
        calls << message;
        return true;
    }
    qsizetype Count(const QString& member) const {
        return std::count_if(calls.begin(), calls.end(),
                             [&](const QDBusMessage& call) { return call.member() == member; });
    }
};
