#include "AppState.h"
#include "ApplicationTitle.h"
#include "CommandLine.h"
#include "MainWindow.h"
#include "RunningCopy.h"
#include "about/AboutBox.h"
#include "link/LinkDialog.h"
#include "platform/InstanceLock.h"
#include "platform/MachineFacts.h"
#include "platform/TerminationSignals.h"
#include "report/ReportDialog.h"
#include "settings/PasswordDialogs.h"
#include "settings/PollIntervalDialog.h"
#include "storage/Failure.h"
#include "tariffs/NewTariffDialog.h"
#include "tariffs/TariffWindow.h"
#include "ui/ProgramStyle.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
// Started again, from the menu say, while a copy runs in this folder: that copy shows its
// window and this one ends; a copy that does not answer leaves the message.
int HandOverToRunningCopy(const QString& channel, const QString& program) {
    if (RunningCopy::AskToShow(channel))
        return 0;
    const QString text =
        QStringLiteral("Программа уже запущена в папке «%1». Вторая копия считала бы каждое "
                       "подключение дважды, поэтому она не запускается.")
            .arg(QDir::toNativeSeparators(QDir::currentPath()));
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        WidgetDialogs(ApplicationTitle(program)).Error(nullptr, text);
    return 1;
}

// Asked from outside to end (a signal, the desktop session ending): close the ordinary way,
// so the open connection and the window settings are written.
void CloseWhenAsked(QApplication& app, MainWindow& mainWindow) {
    OnTerminationRequest([&mainWindow] { mainWindow.CloseOnRequest(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainWindow,
                     [&mainWindow] { mainWindow.CloseDown(false); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &mainWindow,
                     [&mainWindow] { mainWindow.CloseDown(false); });
}

// For the start-up benchmark: the moment of the first event-loop iteration, on the
// monotonic clock the benchmark shares, and out without writing anything.
void EndAtFirstIteration() {
    QTimer::singleShot(0, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        std::_Exit(0);
    });
}
// The tariff window, its dialog for a new period, and the package's use this period.
TariffWindow* MakeTariffWindow(AppState& state, Dialogs& dialogs, QWidget& parent) {
    auto* window = new TariffWindow(dialogs, &parent);
    window->SetNewTariffDialog(new NewTariffDialog(dialogs, window));
    window->SetPeriodTraffic([&state] { return state.PeriodTraffic(); });
    return window;
}
} // namespace

int main(int argc, char* argv[]) {
    // Qt's options (-session from a session manager, -platform, -style) are left to Qt; any
    // other argument is the command line's.
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        if (!OwnArguments(arguments).isEmpty())
            return RunCommandLine(argc, argv);
    }

    QApplication app(argc, argv);
    QApplication::setStyle(new ProgramStyle(QApplication::style()->name()));
    Translations::InstallRussian(app);
    // Docks and task switchers match the window to its launcher by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvora.Kelvora"));
    // The windows stay alive hidden; the program ends when the main window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per data folder: two would count every connection twice. The kernel's lock
    // goes with its process, so what an ended run left in the file never blocks a start.
    InstanceLock lock(QDir::current().filePath(QStringLiteral(".kelvora.lock")));
    const InstanceLock::State locked = lock.TryTake();
    if (locked == InstanceLock::State::Unavailable)
        std::fprintf(stderr, "%s\n",
                     qPrintable(QStringLiteral("Файл блокировки .kelvora.lock не открывается (%1): "
                                               "запуск второй копии в этой папке не будет замечен.")
                                    .arg(lock.ErrorText())));
    const QString channel = RunningCopy::ChannelName(QDir::currentPath());
    if (locked == InstanceLock::State::HeldByAnother)
        return HandOverToRunningCopy(channel, QString::fromLocal8Bit(argv[0]));

    // The data directory is the folder the program was started in.
    SystemClock clock;
    CountedLink link(QDir::currentPath()); // kelvora.ini: which interfaces count
    AppState state(QDir::currentPath(), ApplicationTitle(QString::fromLocal8Bit(argv[0])), clock,
                   link.Addresses());
    state.SetCounterSource(&link.Traffic());
    WidgetDialogs dialogs(state.Title());
    SystemFacts facts;
    WindowSettings settings(WindowSettings::Locate(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));

    // The main window, hidden; the others are made when first used, each as it always was.
    ReportForm reportForm;
    MainWindow mainWindow(state, dialogs, settings);
    mainWindow.SetWindows({
        [&] { return new ReportDialog(reportForm, dialogs, &mainWindow); },
        [&] { return MakeTariffWindow(state, dialogs, mainWindow); },
        [&] { return new PasswordEntryDialog(state.ThePasswords(), &mainWindow); },
        [&] { return new PasswordChangeDialog(state.ThePasswords(), state, dialogs, &mainWindow); },
        [&] {
            return new PollIntervalDialog(
                dialogs, [&state](int seconds) { return state.ApplyPollInterval(seconds); },
                &mainWindow);
        },
        [&] {
            return new AboutBox(
                facts, [&dialogs](const QUrl& url) { dialogs.OpenUrl(url); }, &mainWindow);
        },
        [&] { return new LinkDialog(link, dialogs, &mainWindow); },
    });
    if (link.Problem())
        QTimer::singleShot(0, &mainWindow, [&] { mainWindow.ShowError(*link.Problem()); });

    // A second start shows this window; a request from outside to end closes it.
    RunningCopy runningCopy;
    runningCopy.Listen(channel, [&mainWindow] { mainWindow.BringToFront(); });
    CloseWhenAsked(app, mainWindow);

    mainWindow.show();
    if (qEnvironmentVariableIsSet("KELVORA_BENCH_STARTUP"))
        EndAtFirstIteration();
    return app.exec();
}
