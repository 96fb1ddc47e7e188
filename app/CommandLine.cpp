#include "CommandLine.h"

#include "report/ReportDocument.h"
#include "report/ExportProgress.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"
#include "settings/OptionsFile.h"
#include "settings/WindowSettings.h"
#include "storage/Failure.h"
#include "storage/SessionTable.h"
#include "storage/TariffTable.h"
#include "ui/Translations.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <cstdio>

namespace {

// Qt's own options, as QGuiApplication, QApplication and the X11 platform take them out of
// the arguments: those followed by a value, then those that stand alone. Each may also be
// written with two dashes, and a value may follow "=".
const QStringList QtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
    "title", "icon", "name", "visual", "ncols", "qmljsdebugger", "fn", "font", "bg",
    "background", "fg", "foreground", "btn", "button", "im", "inputstyle"};
const QStringList QtFlags = {"reverse", "widgetcount", "testability", "nograb", "dograb",
                             "sync", "cmap", "dialogs", "fontengine", "darkmode"};

std::optional<QDate> ParseDate(const QString& text) {
    for (const QString& format : {QStringLiteral("dd.MM.yyyy"), QStringLiteral("d.M.yyyy"),
                                  QStringLiteral("yyyy-MM-dd")}) {
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

struct Options {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Отчёт за даты с FROM по TO (ДД.ММ.ГГГГ или "
                                             "ГГГГ-ММ-ДД) без окна.")};
    QCommandLineOption pdf{QStringLiteral("pdf"),
                           QStringLiteral("Записать отчёт в PDF («-» — в стандартный вывод)."),
                           QStringLiteral("FILE")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Записать отчёт в CSV («-» — в стандартный вывод)."),
                           QStringLiteral("FILE")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Учёт времени работы в Интернете и его стоимости.\n"
                           "Без параметров запускается окно программы; папка, из которой она "
                           "запущена, хранит её таблицы. Параметры Qt (-platform, -session, "
                           "-style и другие) относятся к окну."));
        parser.addOptions({report, pdf, csv});
        parser.addPositionalArgument(QStringLiteral("FROM"), QStringLiteral("Первая дата отчёта."),
                                     QStringLiteral("[FROM"));
        parser.addPositionalArgument(QStringLiteral("TO"), QStringLiteral("Последняя дата отчёта."),
                                     QStringLiteral("TO]"));
    }
};

const QString Usage = QStringLiteral("Использование: kelvora --report FROM TO (--pdf FILE | "
                                     "--csv FILE). Подробнее: kelvora --help");

CommandRequest Wrong(const QString& message) {
    CommandRequest request;
    request.message = message;
    return request;
}

} // namespace

QStringList OwnArguments(const QStringList& arguments) {
    QStringList own;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QStringLiteral("--")) { // everything after it is ours
            own += arguments.mid(i);
            break;
        }
        QString name = arg;
        if (name.startsWith(QStringLiteral("--")))
            name.remove(0, 1);
        if (!name.startsWith(QLatin1Char('-')) || name.size() < 2) {
            own << arg;
            continue;
        }
        name.remove(0, 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const QString bare = equals < 0 ? name : name.left(equals);
        if (QtOptionsWithValue.contains(bare)) {
            if (equals < 0)
                ++i; // its value
        } else if (!QtFlags.contains(bare)) {
            own << arg;
        }
    }
    return own;
}

CommandRequest ReadCommandLine(const QStringList& own) {
    Options o;
    if (!o.parser.parse(QStringList{QStringLiteral("kelvora")} + own))
        return Wrong(o.parser.errorText() + QLatin1Char('\n') + Usage);
    CommandRequest request;
    if (o.parser.isSet(o.help)) {
        request.what = CommandRequest::What::Help;
        return request;
    }
    if (o.parser.isSet(o.version)) {
        request.what = CommandRequest::What::Version;
        return request;
    }
    const QStringList dates = o.parser.positionalArguments();
    if (!o.parser.isSet(o.report) || dates.size() != 2 ||
        o.parser.isSet(o.pdf) == o.parser.isSet(o.csv) ||
        o.parser.values(o.pdf).size() + o.parser.values(o.csv).size() != 1)
        return Wrong(Usage);
    const auto from = ParseDate(dates[0]);
    const auto to = ParseDate(dates[1]);
    if (!from || !to)
        return Wrong(QStringLiteral("Дата «%1» не распознана: пишите ДД.ММ.ГГГГ или ГГГГ-ММ-ДД.")
                         .arg(!from ? dates[0] : dates[1]));
    if (*from > *to)
        return Wrong(QStringLiteral("Первая дата отчёта %1 позже последней %2: отчёт был бы "
                                    "пуст. Сначала пишите первую дату, потом последнюю.")
                         .arg(dates[0], dates[1]));
    request.what = CommandRequest::What::Report;
    request.from = *from;
    request.to = *to;
    request.pdf = o.parser.isSet(o.pdf);
    request.path = o.parser.value(request.pdf ? o.pdf : o.csv);
    if (request.path.isEmpty())
        return Wrong(QStringLiteral("Не указан файл отчёта.\n") + Usage);
    return request;
}

QStringList DataFiles(const QString& dataDirectory) {
    const QDir dir(dataDirectory);
    QStringList files;
    for (const QString& table : {SessionTable::FileName, TariffTable::FileName})
        for (const char* side : {"", "-wal", "-shm", "-journal"})
            files << dir.filePath(table + QLatin1String(side));
    files << dir.filePath(OptionsFile::FileName) << dir.filePath(QStringLiteral("kelvora.ini"))
          << dir.filePath(QStringLiteral(".kelvora.lock"));
    return files;
}

int RunCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandRequest request = ReadCommandLine(OwnArguments(arguments));
    if (request.what == CommandRequest::What::Wrong) {
        std::fprintf(stderr, "%s\n", qPrintable(request.message));
        return 2;
    }

    // Nothing is shown: no display is needed, so the report runs from cron as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Translations::InstallRussian(app); // --help's own lines in Russian too
    QCoreApplication::setApplicationName(QStringLiteral("kelvora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));
    if (request.what != CommandRequest::What::Report) {
        Options o;
        o.parser.process(QStringList{arguments.value(0)} +
                         QStringList{request.what == CommandRequest::What::Help
                                         ? QStringLiteral("--help")
                                         : QStringLiteral("--version")}); // prints and exits
        return 0;
    }

    auto fail = [](const QString& message) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    };
    const QString dir = QDir::currentPath();
    if (!QFileInfo::exists(QDir(dir).filePath(SessionTable::FileName)))
        return fail(QStringLiteral("В папке «%1» нет файла %2: запустите отчёт из папки данных "
                                   "программы.")
                        .arg(QDir::toNativeSeparators(dir), SessionTable::FileName));
    // int.ini may be beside the program or in the configuration folder: both are kept off.
    QStringList keepOff = DataFiles(dir);
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    keepOff << QDir(QCoreApplication::applicationDirPath()).filePath(WindowSettings::FileName)
            << QDir(configDir).filePath(QStringLiteral("kelvora/") + WindowSettings::FileName);
    try {
        const SessionTable table(dir);
        SessionRange range = table.CurrentRange();
        range.from = request.from;
        range.to = request.to;
        const ReportTotals totals = ReportTotals::Of(table, range);
        ReportDocument document(table, range, {totals.MoneyText(), totals.TimeText()});
        const ReportExport::ReportTarget target{request.path, keepOff};
        TerminalProgress progress; // a line on a terminal only
        if (request.pdf)
            ReportExport::WritePdf(document, target, &progress);
        else
            ReportExport::WriteCsv(document, target, &progress);
    } catch (const Failure& failure) {
        return fail(failure.message());
    }
    return 0;
}
