#pragma once
// What the windows share for the life of the program: the data directory, the passwords,
// the two tables, and the tracker with its clock, probe and timers.

#include "accounting/ConnectionProbe.h"
#include "accounting/QtTimer.h"
#include "accounting/SessionTracker.h"
#include "accounting/TariffBook.h"
#include "platform/OwnAddresses.h"
#include "storage/SessionTable.h"
#include "settings/OptionsFile.h"
#include "storage/TariffTable.h"

#include <functional>
#include <memory>

// The tracker writes through it: while data.db cannot be opened (another program's file, a
// locked or damaged one), every write tries to open it again, so what was kept in memory is
// stored once it can be.
class AppState final : public StartupSteps, public RecordWriter {
public:
    // The clock and the address source are the system's in the program, fakes in tests.
    AppState(QString dataDirectory, QString title, const Clock& clock, AddressSource& addresses);

    // Opens data.db; throws Failure naming the file and the reason.
    void OpenSessionTable();
    // Builds the tracker and puts it in its initial state; it runs whether or not data.db
    // could be opened.
    void StartTracker(TrackerView& view);
    // Called once when data.db opens after a failed first try.
    std::function<void()> sessionsOpened;
    // Called after a record has gone in.
    std::function<void()> written;
    // Called after the open connection alone was kept: the stored records did not change.
    std::function<void()> kept;

    void LoadOptions() override;
    void OpenTariffTable() override;

    void Append(const SessionRecord& record, const std::optional<OpenSegment>& stillOpen) override;
    void Checkpoint(const std::optional<OpenSegment>& open) override;
    std::optional<OpenSegment> LeftOpen(const QDate& today, int nowMsecs) override;

    // While nothing shows the status line (the window hidden or minimised), its ticker is
    // held; shown again, the line is brought up to date at once.
    void SetStatusShown(bool shown) { ticker_.SetHeld(!shown); }
    bool TickerHeld() const { return ticker_.Held(); }

    const QString dataDirectory;
    const QString title;
    Passwords passwords; // StoredPassword and EnteredPassword
    OptionsFile options;

    const Clock& clock;
    ConnectionProbe probe;
    TariffBook tariffBook;
    std::unique_ptr<SessionTable> sessions;
    std::unique_ptr<TariffTable> tariffs;
    std::unique_ptr<SessionTracker> tracker;

private:
    SessionTable& Sessions(); // opens data.db when it is not open yet; throws Failure

    QtTimer poll_, ticker_, watch_, startup_;
    TrackerView* view_ = nullptr;
};
