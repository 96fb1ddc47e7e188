#pragma once
// Instructions as callgrind counts them, which the machine's load does not move: a whole
// run of a program, or only the regions a benchmark command marks. And the two things that
// make a run's times untrue: fonts loaded inside a timed region, and the font cache being
// rebuilt while the benchmark runs.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define KELVORA_MARK CALLGRIND_TOGGLE_COLLECT
#else
#define KELVORA_MARK
#endif

// Whether valgrind can be run at all.
bool HaveCallgrind();

// The instructions the command ran under callgrind, or -1 when it could not be counted.
// With `marked`, only those within the regions the command marked (see Marked).
double Instructions(const QStringList& command, const QString& dir, bool marked,
                    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// Runs `work` as a marked region: counted only by Instructions(..., marked = true); outside
// callgrind it costs a few no-op instructions.
template <typename F> void Marked(F&& work) {
    KELVORA_MARK;
    work();
    KELVORA_MARK;
}

// The application font and its glyphs loaded, so that a timed region that follows finds them
// ready, as a running program does.
void LoadFonts();

// The fontconfig cache folders' files and their times: two stamps that differ mean the
// cache was written in between, which slows every program that starts meanwhile.
QString FontCacheStamp();
