#include "AppState.h"

AppState::AppState(QString dataDirectory, QString title, const Clock& clock,
                   AddressSource& addresses)
    : dataDirectory(std::move(dataDirectory)), title(std::move(title)),
      options(this->dataDirectory, passwords, {}), clock(clock),
      probe(addresses), tariffBook(clock),
      poll_(SessionTracker::DefaultPollMsecs, [this] { tracker->Poll(); }),
      ticker_(SessionTracker::TickMsecs, [this] { tracker->Tick(); },
              [this](int missed) { tracker->Tick(missed); }),
      watch_(SessionTracker::WatchMsecs, [this] { tracker->WatchTariff(); }),
      startup_(SessionTracker::StartupMsecs, [this] { tracker->StartUp(); }) {
    // The gate stands from the first event a window can receive; the rest of the options
    // waits for the start-up step.
    options.ReadPassword();
}

void AppState::OpenSessionTable() {
    sessions = std::make_unique<SessionTable>(dataDirectory);
    // The file was replaced or moved away and opened again: the tracker's window says so.
    QObject::connect(sessions.get(), &SessionTable::Notice, sessions.get(),
                     [this](const QString& message) {
                         if (view_)
                             view_->ShowError(message);
                     });
}

void AppState::StartTracker(TrackerView& view) {
    view_ = &view;
    tracker = std::make_unique<SessionTracker>(
        clock, TrackerTimers{poll_, ticker_, watch_, startup_}, probe, tariffBook, *this, view,
        *this);
    tracker->Start();
}

SessionTable& AppState::Sessions() {
    if (!sessions) {
        OpenSessionTable();
        if (sessionsOpened)
            sessionsOpened();
    }
    return *sessions;
}

void AppState::Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) {
    Sessions().Append(record, stillOpen);
    if (written)
        written();
}

void AppState::Checkpoint(const std::optional<OpenSegment>& open) {
    Sessions().Checkpoint(open);
    if (kept)
        kept();
}

std::optional<OpenSegment> AppState::LeftOpen(const QDate& today, int nowMsecs) {
    return Sessions().LeftOpen(today, nowMsecs);
}

void AppState::LoadOptions() { options.LoadOptions(); }

void AppState::OpenTariffTable() {
    // A file that cannot be opened now is tried again at every lookup: one put in its
    // place later is read from then on.
    QString failure;
    tariffs = std::make_unique<TariffTable>(dataDirectory, &failure);
    tariffBook.SetTable(tariffs.get());
    if (!failure.isEmpty())
        throw Failure(failure);
}
