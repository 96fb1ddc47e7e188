#include "AppState.h"

#include "settings/ProgramSettings.h"
#include "spend/BillingPeriod.h"
#include "spend/Budget.h"
#include "storage/Failure.h"
#include "storage/MaintenanceSchedule.h"
#include "storage/TextForms.h"

#include <QCoreApplication>
#include <QDir>

AppState::AppState(QString dataDirectory, QString title, const Clock& clock,
                   AddressSource& addresses, TimerMaker& timers)
    : dataDirectory_(std::move(dataDirectory)), title_(std::move(title)),
      optionsFile_(dataDirectory_), clock_(clock), timers_(timers), probe_(addresses),
      tariffBook_(clock),
      poll_(timers.Make(SessionTracker::DefaultPollMsecs, [this] { tracker_->Poll(); })),
      ticker_(timers.Make(
          SessionTracker::TickMsecs, [this] { tracker_->Tick(); },
          [this](int missed) { tracker_->Tick(missed); })),
      watch_(timers.Make(SessionTracker::WatchMsecs, [this] { tracker_->WatchTariff(); })),
      startup_(timers.Make(SessionTracker::StartupMsecs, [this] { tracker_->StartUp(); })) {
    // The gate stands from the first event a window can receive; the rest of the options
    // waits for the start-up step.
    if (const auto password = optionsFile_.ReadPassword())
        passwords_.stored = *password;
}

AppState::~AppState() = default;

void AppState::OpenSessionTable() {
    if (!openTried_) {
        openTried_ = true;
        lastRunLeftDataOpen_ =
            LeftOpenByLastRun(QDir(dataDirectory_).filePath(SessionTable::FileName));
    }
    sessions_ = std::make_unique<SessionTable>(dataDirectory_);
    // The file was replaced or moved away and opened again: the tracker's window says so.
    QObject::connect(sessions_.get(), &SessionTable::Notice, sessions_.get(),
                     [this](const QString& message) {
                         if (view_)
                             view_->ShowError(message);
                     });
}

void AppState::StartTracker(TrackerView& view) {
    view_ = &view;
    tracker_ = std::make_unique<SessionTracker>(clock_,
                                                TrackerTimers{*poll_, *ticker_, *watch_, *startup_},
                                                probe_, tariffBook_, *this, view, *this);
    tracker_->Start();
}

std::optional<OpenCharge> AppState::OpenSegmentAt(const LocalMoment& now) const {
    if (!tracker_ || !tracker_->SegmentOpen())
        return std::nullopt;
    return OpenSoFar(tracker_->StartDate(), tracker_->StartTime(), tracker_->CurrentRate(),
                     now.date, now.msecs);
}

std::optional<OpenCharge> AppState::ConnectionAt(const LocalMoment& now) const {
    std::optional<OpenCharge> connection = OpenSegmentAt(now);
    if (connection) {
        const ConnectionSoFar& before = tracker_->SoFar();
        connection->seconds += before.seconds;
        connection->money += double(TextForms::TryParseNumber(before.charges).value_or(0));
    }
    return connection;
}

bool AppState::CloseOpenConnection() {
    return !tracker_ || tracker_->CloseOpenSegment();
}

SessionTable& AppState::OpenedSessions() {
    if (!sessions_) {
        OpenSessionTable();
        emit SessionsOpened();
    }
    return *sessions_;
}

void AppState::Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) {
    OpenedSessions().Append(record, stillOpen);
    emit Written();
}

void AppState::Checkpoint(const std::optional<OpenSegment>& open) {
    OpenedSessions().Checkpoint(open);
    emit Kept();
}

std::optional<OpenSegment> AppState::LeftOpen(const QDate& today, int nowMsecs) {
    return OpenedSessions().LeftOpen(today, nowMsecs);
}

void AppState::LoadOptions() {
    // Queued input, painting and timer events run before the file is read.
    QCoreApplication::processEvents();
    const LoadedOptions loaded = optionsFile_.Load();
    if (loaded.startMinimised) {
        options_.startMinimised = *loaded.startMinimised;
        emit StartMinimisedRead(options_.startMinimised);
    }
    if (loaded.password)
        passwords_.stored = *loaded.password;
    if (loaded.pollSeconds) {
        options_.pollSeconds = *loaded.pollSeconds;
        if (tracker_)
            tracker_->ApplyPollInterval(options_.pollSeconds);
        emit PollIntervalRead(options_.pollSeconds);
    }
    if (loaded.failure)
        throw Failure(*loaded.failure);
}

Options AppState::CurrentOptions() const {
    Options options = options_;
    options.password = passwords_.stored;
    return options;
}

void AppState::SaveOptions() {
    optionsFile_.Save(CurrentOptions());
}

void AppState::SetStartMinimised(bool on) {
    Options options = CurrentOptions();
    options.startMinimised = on;
    optionsFile_.Save(options); // throws, and the flag stays as the file still says
    options_.startMinimised = on;
}

std::optional<QString> AppState::ApplyPollInterval(int seconds) {
    options_.pollSeconds = seconds;
    if (tracker_)
        tracker_->ApplyPollInterval(seconds);
    try {
        SaveOptions();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return std::nullopt;
}

void AppState::OpenTariffTable() {
    // A file that cannot be opened now is tried again at every lookup: one put in its
    // place later is read from then on.
    QString failure;
    tariffs_ = std::make_unique<TariffTable>(dataDirectory_, &failure);
    tariffBook_.SetTable(tariffs_.get());
    // The tariff may price the traffic, now or after "Тарификация" changed it.
    UpdateTrafficCounting();
    connect(tariffs_.get(), &TariffTable::Changed, this, &AppState::UpdateTrafficCounting);
    if (!failure.isEmpty())
        throw Failure(failure);
}

void AppState::UpdateTrafficCounting() {
    if (!tracker_)
        return;
    ProgramSettings settings(dataDirectory_);
    settings.Load(); // a file that cannot be read asks for nothing
    const Budget budget = ReadBudget(settings).budget;
    periodStartDay_ = budget.startDay;
    const bool wanted = settings.Value(QStringLiteral("Grid/Traffic")).toBool() ||
                        budget.mebibytes > 0 || !ReadTrafficTerms().PricesNothing();
    tracker_->CountTraffic(wanted ? counters_ : nullptr, this);
}

std::optional<Traffic> AppState::OpenTrafficAt() const {
    return tracker_ ? tracker_->OpenTraffic() : std::nullopt;
}

TrafficTerms AppState::ReadTrafficTerms() {
    trafficTerms_ = tariffBook_.Traffic();
    if (tariffs_) {
        try {
            trafficTerms_ = tariffs_->ReadTrafficTerms();
        } catch (const Failure&) {
            // The lookup tells what is wrong with the file.
        }
    }
    return trafficTerms_;
}

std::optional<quint64> AppState::PeriodTraffic() const {
    if (!sessions_ || !sessions_->KeepsTraffic())
        return std::nullopt;
    const BillingPeriod period = BillingPeriod::Containing(clock_.Now().date, periodStartDay_);
    try {
        const Traffic stored =
            SpendTotal::Of(sessions_->DayTotalsIn(period.first, period.last)).traffic;
        const Traffic open = OpenTrafficAt().value_or(Traffic{});
        return stored.rx + stored.tx + open.rx + open.tx;
    } catch (const Failure&) {
        return std::nullopt;
    }
}

QDate AppState::PeriodStart(const QDate& date) {
    return BillingPeriod::Containing(date, periodStartDay_).first;
}

quint64 AppState::StoredInPeriod(const QDate& date) {
    const BillingPeriod period = BillingPeriod::Containing(date, periodStartDay_);
    const Traffic t =
        SpendTotal::Of(OpenedSessions().DayTotalsIn(period.first, period.last)).traffic;
    return t.rx + t.tx;
}
