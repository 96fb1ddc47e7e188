#pragma once
// Facts about the machine that the about box shows, read afresh at every call.

#include <QString>

class MachineFacts {
public:
    virtual ~MachineFacts() = default;
    virtual QString OperatingSystem() = 0;
    virtual quint64 PhysicalMemoryBytes() = 0;
    virtual QString RegisteredOwner() = 0;
};

// Linux: /etc/os-release's PRETTY_NAME, the kernel's total memory, and the account's full
// name (else its login name). Windows: the registry's product name and registered owner.
class SystemFacts final : public MachineFacts {
public:
    QString OperatingSystem() override;
    quint64 PhysicalMemoryBytes() override;
    QString RegisteredOwner() override;
};

// The PRETTY_NAME of an os-release text, unquoted; empty when there is none.
QString PrettyNameOf(const QByteArray& osRelease);
// The full name from a passwd GECOS field (up to its first comma), else the login name.
QString OwnerFrom(const QString& gecos, const QString& login);
