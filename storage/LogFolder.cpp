#include "LogFolder.h"

LogFolder::LogFolder(SqliteDatabase db) : db_(std::move(db)), thread_([this] { Run(); }) {}

LogFolder::~LogFolder() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeUp_.notify_one();
    thread_.join();
}

void LogFolder::Wake() {
    {
        const std::lock_guard lock(mutex_);
        asked_ = true;
    }
    wakeUp_.notify_one();
}

void LogFolder::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wakeUp_.wait(lock, [this] { return asked_ || stopping_; });
        if (stopping_)
            return;
        asked_ = false;
        lock.unlock();
        // A reader holding an older view, or another checkpoint running, leaves part of the
        // log (or all of it) where it is: the next fold-back takes it.
        db_.FoldLogBack();
        ++folds_;
        lock.lock();
    }
}
