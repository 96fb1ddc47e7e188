#include "TestFiles.h"
#include "storage/Maintenance.h"
#include "storage/SessionTable.h"
#include "storage/TariffTable.h"

#include <QtTest>

class TestMaintenance : public QObject {
    Q_OBJECT
private slots:
    void quickCheck() {
        QTemporaryDir dir;
        { SessionTable table(dir.path()); table.Append({QDate(2026, 12, 7), "a", "b", "c", "d", "e"}); }
        QCOMPARE(QuickCheck(dir.filePath("data.db")), QStringLiteral("ok"));
        WriteFile(dir.filePath("text.db"), "plain text, long enough to be read as a header.....");
        QVERIFY(QuickCheck(dir.filePath("text.db")) != "ok");
        QVERIFY(QuickCheck(dir.filePath("missing.db")) != "ok");
        QVERIFY(!QFileInfo::exists(dir.filePath("missing.db"))); // read only: nothing made
    }

    void dailyCopiesKeepTheLastSeven() {
        QTemporaryDir dir;
        {
            SessionTable sessions(dir.path());
            TariffTable tariffs(dir.path());
            sessions.Append({QDate(2026, 12, 7), "9:00:00", "b", "c", "d", "e"});
        }
        const QDate first(2026, 12, 1);
        for (int day = 0; day < 10; ++day)
            QCOMPARE(BackUpDaily(dir.path(), first.addDays(day)), std::nullopt);
        const QDir backup(dir.filePath("backup"));
        QStringList data = backup.entryList({"data-*.db"}, QDir::Files, QDir::Name);
        QCOMPARE(data.size(), 7);
        QCOMPARE(data.front(), QStringLiteral("data-2026-12-04.db"));
        QCOMPARE(data.back(), QStringLiteral("data-2026-12-10.db"));
        QCOMPARE(backup.entryList({"tarif-*.db"}, QDir::Files).size(), 7);
        for (const QFileInfo& copy : backup.entryInfoList(QDir::Files))
            QCOMPARE(copy.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                     QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(dir.filePath("tarif.db")) & QFileDevice::ReadOther,
                 QFileDevice::Permissions());
        // A copy is a whole database with the rows.
        QCOMPARE(RawSql(backup.filePath("data-2026-12-10.db"), "SELECT WremN FROM session"),
                 QStringList{"9:00:00"});
        // Today's copy is made once.
        const QByteArray before = FileDigest(backup.filePath("data-2026-12-10.db"));
        {
            SessionTable sessions(dir.path());
            sessions.Append({QDate(2026, 12, 8), "later", "b", "c", "d", "e"});
        }
        QCOMPARE(BackUpDaily(dir.path(), QDate(2026, 12, 10)), std::nullopt);
        QCOMPARE(FileDigest(backup.filePath("data-2026-12-10.db")), before);
        QVERIFY(backup.entryList({"*.part"}, QDir::Files).isEmpty());
        // Seven copies dated ahead (the clock was set forward once) crowd out neither
        // today's copy nor the week before it, and stay themselves.
        for (int day = 0; day < 7; ++day)
            QVERIFY(QFile::copy(backup.filePath("data-2026-12-10.db"),
                                backup.filePath(QStringLiteral("data-2027-01-0%1.db").arg(day + 1))));
        QCOMPARE(BackUpDaily(dir.path(), QDate(2026, 12, 11)), std::nullopt);
        data = backup.entryList({"data-2026-*.db"}, QDir::Files, QDir::Name);
        QCOMPARE(data.size(), 7);
        QCOMPARE(data.front(), QStringLiteral("data-2026-12-05.db"));
        QCOMPARE(RawSql(backup.filePath("data-2026-12-11.db"), "SELECT count(*) FROM session"),
                 QStringList{"2"});
        QCOMPARE(backup.entryList({"data-2027-*.db"}, QDir::Files).size(), 7);
    }

    void aCopyThatCannotBeMadeIsTold() {
        QTemporaryDir dir;
        { SessionTable sessions(dir.path()); }
        WriteFile(dir.filePath("backup"), "a file where the folder should be");
        const auto trouble = BackUpDaily(dir.path(), QDate(2026, 12, 7));
        QVERIFY(trouble.has_value());
        QVERIFY(trouble->contains("backup"));
    }
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
