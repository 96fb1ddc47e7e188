#include "platform/InstanceLock.h"
#include "platform/LocalChannel.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

    // The line a second start speaks to the copy that holds the folder: answered while the
    // holder runs its event loop, a foreign line left unanswered without stopping it, a
    // socket file left by a killed holder taken over, nobody there told at once.
    void theChannelBetweenTwoCopies() {
        const QString name =
            QStringLiteral("kelvora-test-%1").arg(QCoreApplication::applicationPid());
        const auto ask = [&](const QByteArray& line) {
            auto answer = std::async(std::launch::async,
                                     [&, line] { return LocalChannel::Ask(name, line, 5000); });
            // The holder answers from this thread's event loop.
            for (int i = 0; i < 500 && answer.wait_for(std::chrono::milliseconds(0)) !=
                                           std::future_status::ready;
                 ++i)
                QTest::qWait(10);
            return answer.get();
        };
        QCOMPARE(LocalChannel::Ask(name, "show\n", 5000), QByteArray()); // nobody listens
        // A socket file that its process left when it was killed.
        const QByteArray left = QFile::encodeName(
            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + '/' + name);
        ::unlink(left.constData());
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, left.constData(), size_t(left.size()));
        QCOMPARE(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(stale);
        int heard = 0;
        {
            LocalChannel holder;
            QVERIFY(holder.Listen(name, [&](const QByteArray& line) {
                ++heard;
                return line == "show\n" ? QByteArray("ok\n") : QByteArray();
            }));
            QCOMPARE(ask("show\n"), QByteArray("ok\n"));
            QCOMPARE(ask(QByteArray(LocalChannel::LongestLine - 1, 'x') + '\n'), QByteArray());
            QCOMPARE(ask("show\n"), QByteArray("ok\n"));
            QCOMPARE(heard, 3);
        }
        QVERIFY(!QFileInfo::exists(QFile::decodeName(left))); // removed when the holder goes
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
