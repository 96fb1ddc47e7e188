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

#include <memory>

class AppState final : public StartupSteps {
public:
    // The clock and the address source are the system's in the program, fakes in tests.
    AppState(QString dataDirectory, QString title, const Clock& clock, AddressSource& addresses);

    // Opens data.db; throws Failure. Until it succeeds the tracker does not start.
    void OpenSessionTable();
    // Builds the tracker over the open session table and puts it in its initial state.
    void StartTracker(TrackerView& view);

    void LoadOptions() override;
    void OpenTariffTable() override;

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
    QtTimer poll_, ticker_, watch_, startup_;
};
