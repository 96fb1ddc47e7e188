#pragma once
// Folds a table file's write-ahead log back into the file on a thread of its own, so that a
// write never waits for the syncs of the fold-back. It holds a connection of its own to the
// file and only ever checkpoints with it, never writes a row.

#include "Sqlite.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class LogFolder {
public:
    // Takes a connection to the file, one that has read it once (so it knows the file has a
    // log), and starts the thread.
    explicit LogFolder(SqliteDatabase db);
    // Joins the thread, then closes the connection: once it returns, no fold-back runs and
    // none will. What was asked for and not yet done is left to the file's owner.
    ~LogFolder();
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;

    // Asks for a fold-back soon. Never waits for one nor fails; asking again while one is
    // asked for or running makes one more, not one each.
    void Wake();
    // How many fold-backs have run (whether or not they could fold everything back).
    quint64 Folds() const { return folds_.load(); }

private:
    void Run();

    SqliteDatabase db_; // used by the thread alone until it is joined
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool asked_ = false;    // guarded by mutex_
    bool stopping_ = false; // guarded by mutex_
    std::atomic<quint64> folds_{0};
    std::thread thread_; // last: started once everything it uses is there
};
