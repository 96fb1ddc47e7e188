#include "MaintenanceSchedule.h"

#include "Maintenance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>

bool LeftOpenByLastRun(const QString& path) {
    return QFileInfo::exists(path + QStringLiteral("-wal"));
}

CopiesDue CopiesDueOn(const QString& dataDir, const QDate& today) {
    const QDir data(dataDir);
    const QDir backup(data.filePath(QStringLiteral("backup")));
    const auto due = [&](const QString& base) {
        return QFileInfo::exists(data.filePath(base + QStringLiteral(".db"))) &&
               !QFileInfo::exists(backup.filePath(
                   QStringLiteral("%1-%2.db").arg(base, today.toString(Qt::ISODate))));
    };
    return {due(QStringLiteral("data")), due(QStringLiteral("tarif"))};
}

QString DamageMessage(const QString& path, const QString& found) {
    return QStringLiteral("Проверка файла «%1» нашла повреждения: %2. Сделайте копию "
                          "файла; чтобы восстановить его из папки backup, сначала "
                          "закройте программу.")
        .arg(QDir::toNativeSeparators(path), found);
}

std::optional<QString> LookAfterFiles(const QString& dataDir, const QString& path,
                                      const QDate& today, bool check, bool* damaged) {
    const CopiesDue due = CopiesDueOn(dataDir, today);
    // The check reads the whole file: once a day, before its copy, or after an unclean end.
    if (check || due.data) {
        const QString found = QuickCheck(path);
        if (found != QStringLiteral("ok")) {
            if (damaged)
                *damaged = true;
            return DamageMessage(path, found); // only a sound file is copied
        }
    }
    if (!due.data && !due.tariffs)
        return std::nullopt;
    return BackUpDaily(dataDir, today);
}

MaintenanceSchedule::MaintenanceSchedule(QString dataDir, QString path,
                                         std::function<QDate()> today, bool leftOpen,
                                         QObject* parent)
    : QObject(parent), dataDir_(std::move(dataDir)), path_(std::move(path)),
      today_(std::move(today)), checkNext_(leftOpen) {
    hourly_.setInterval(HourlyMsecs);
    connect(&hourly_, &QTimer::timeout, this, &MaintenanceSchedule::LookAfterFilesNow);
}

void MaintenanceSchedule::Start() {
    QTimer::singleShot(FirstLookMsecs, this, [this] {
        LookAfterFilesNow();
        QTimer::singleShot(RetryMsecs, this, &MaintenanceSchedule::LookAfterFilesNow);
        hourly_.start();
    });
}

void MaintenanceSchedule::LookAfterFilesNow() {
    if (busy_ || damaged_)
        return;
    busy_ = true;
    const bool check = checkNext_;
    checkNext_ = false;
    QPointer<MaintenanceSchedule> self(this);
    QThreadPool::globalInstance()->start(
        [self, dir = dataDir_, path = path_, today = today_(), check] {
            bool damaged = false;
            const auto trouble = LookAfterFiles(dir, path, today, check, &damaged);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, trouble, damaged] {
                    if (!self)
                        return;
                    self->busy_ = false;
                    self->damaged_ = damaged;
                    if (trouble)
                        emit self->Trouble(*trouble);
                },
                Qt::QueuedConnection);
        });
}
