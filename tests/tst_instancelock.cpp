#include "platform/InstanceLock.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Only a running holder blocks: whatever a lock file left behind holds, it is taken.
class TestInstanceLock : public QObject {
    Q_OBJECT
private slots:
    void leftOverFilesNeverBlock_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty (a power loss right after start)") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x01\xFFzz\n\n\n", 7);
        QTest::newRow("another host's lock")
            << QByteArray("4242\nkelvora\nsome-other-host\n3a1f0d9c-0000\n");
        QTest::newRow("a process id that is gone") << QByteArray("2147483000\n");
        QTest::newRow("our own process id")
            << QByteArray::number(QCoreApplication::applicationPid());
    }
    void leftOverFilesNeverBlock() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(".kelvora.lock");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        InstanceLock lock(path);
        QCOMPARE(lock.TryTake(), InstanceLock::State::Taken);
    }

    void aLiveHolderBlocksUntilItIsGone() {
        QTemporaryDir dir;
        const QString path = dir.filePath(".kelvora.lock");
        {
            InstanceLock first(path);
            QCOMPARE(first.TryTake(), InstanceLock::State::Taken);
            InstanceLock second(path);
            QCOMPARE(second.TryTake(), InstanceLock::State::HeldByAnother);
        }
        InstanceLock third(path);
        QCOMPARE(third.TryTake(), InstanceLock::State::Taken);
    }

    // Another process holding the kernel lock, then killed outright: its lock goes with it.
    void aKilledHolderLeavesNothingBehind() {
        if (QStandardPaths::findExecutable("flock").isEmpty())
            QSKIP("flock(1) is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(".kelvora.lock");
        QProcess holder;
        // One process, the lock on its descriptor 9: the shell takes it, then becomes sleep.
        holder.start("sh",
                     {"-c", "exec 9>\"$0\" && flock -n 9 && echo held && exec sleep 60", path});
        QVERIFY(holder.waitForReadyRead(5000));
        {
            InstanceLock lock(path);
            QCOMPARE(lock.TryTake(), InstanceLock::State::HeldByAnother);
        }
        holder.kill();
        QVERIFY(holder.waitForFinished(5000));
        InstanceLock lock(path);
        QCOMPARE(lock.TryTake(), InstanceLock::State::Taken);
    }

    // Nothing to be had: told, and whatever the name points at is left as it was.
    void unavailableLocks_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder without access") << "missing folder";
        QTest::newRow("a link to someone's file") << "link";
        QTest::newRow("a link to nothing") << "dangling link";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a pipe") << "pipe";
    }
    void unavailableLocks() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(".kelvora.lock");
        const QString target = dir.filePath("precious.txt");
        QFile precious(target);
        QVERIFY(precious.open(QIODevice::WriteOnly));
        precious.write("keep me\n");
        precious.close();
        if (kind == "missing folder")
            path = "/nonexistent-folder/.kelvora.lock";
        else if (kind == "link")
            QVERIFY(QFile::link(target, path));
        else if (kind == "dangling link")
            QVERIFY(QFile::link(dir.filePath("nothing"), path));
        else if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir(".kelvora.lock"));
        else
            QCOMPARE(QProcess::execute("mkfifo", {path}), 0);
        InstanceLock lock(path);
        QCOMPARE(lock.TryTake(), InstanceLock::State::Unavailable);
        QVERIFY(!lock.ErrorText().isEmpty());
        QVERIFY(precious.open(QIODevice::ReadOnly));
        QCOMPARE(precious.readAll(), QByteArray("keep me\n"));
        QVERIFY(!QFileInfo::exists(dir.filePath("nothing")));
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
