#include "ExportProgress.h"

#include <cstdio>
#include <unistd.h>

TerminalProgress::TerminalProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}

void TerminalProgress::Begin(qint64 total, const QString& unit) {
    total_ = total;
    unit_ = unit;
    shownPercent_ = -1;
}

bool TerminalProgress::Advance(qint64 done) {
    if (!terminal_ || total_ <= 0)
        return true;
    const qint64 percent = done * 100 / total_;
    if (percent != shownPercent_) { // a write per percent, not per page
        shownPercent_ = percent;
        std::fprintf(stderr, "\r%s %lld из %lld (%lld %%)", qPrintable(unit_),
                     static_cast<long long>(done), static_cast<long long>(total_),
                     static_cast<long long>(percent));
        std::fflush(stderr);
    }
    return true;
}

void TerminalProgress::End() {
    if (terminal_ && shownPercent_ >= 0) {
        std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }
}
