#pragma once
// Progress of a long piece of report output (printing, a PDF or CSV file): how far it is,
// and whether the user wants it stopped. The writers report to it; what it shows is its
// own: a window with a cancel button, a line on a terminal, or nothing.

#include <QString>
#include <QtGlobal>

// Thrown by a writer when its progress asked to stop; nothing half-written is left behind.
struct ExportCancelled {};

class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    // `total` steps of `unit` ("страница", "запись") are about to be done.
    virtual void Begin(qint64 total, const QString& unit) = 0;
    // `done` steps are done; false when the work is to stop.
    virtual bool Advance(qint64 done) = 0;
    virtual void End() = 0;
};

// Ends the progress however the work ends; Advance throws ExportCancelled on a stop.
class ProgressScope {
public:
    ProgressScope(ExportProgress* progress, qint64 total, const QString& unit)
        : progress_(progress) {
        if (progress_)
            progress_->Begin(total, unit);
    }
    ~ProgressScope() {
        if (progress_)
            progress_->End();
    }
    void Advance(qint64 done) {
        if (progress_ && !progress_->Advance(done))
            throw ExportCancelled{};
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ExportProgress* progress_;
};

// A line on standard error, rewritten in place, for the command line: only when standard
// error is a terminal, so nothing lands in a log or a pipe.
class TerminalProgress final : public ExportProgress {
public:
    TerminalProgress();
    void Begin(qint64 total, const QString& unit) override;
    bool Advance(qint64 done) override;
    void End() override;

private:
    bool terminal_;
    qint64 total_ = 0;
    qint64 shownPercent_ = -1;
    QString unit_;
};
