#include "CommandLine.h"

#include "report/ExportProgress.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"
#include "report/TrafficColumns.h"
#include "settings/OptionsFile.h"
#include "settings/ProgramSettings.h"
#include "settings/WindowSettings.h"
#include "spend/LiveSpend.h"
#include "spend/SpendFigures.h"
#include "storage/Failure.h"
#include "storage/SessionTable.h"
#include "storage/Sqlite.h"
#include "storage/TariffTable.h"
#include "storage/TextForms.h"
#include "ui/Translations.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

namespace {

// The format of data.db this version writes (PRAGMA user_version).
constexpr qint64 CurrentFormat = 4;

// Qt's own options, as QGuiApplication, QApplication and the X11 platform take them out of
// the arguments: those followed by a value, then those that stand alone. Each may also be
// written with two dashes, and a value may follow "=".
const QStringList QtOptionsWithValue = {"platform",
                                        "platformpluginpath",
                                        "platformtheme",
                                        "plugin",
                                        "qwindowgeometry",
                                        "qwindowicon",
                                        "qwindowtitle",
                                        "session",
                                        "display",
                                        "geometry",
                                        "style",
                                        "stylesheet",
                                        "title",
                                        "icon",
                                        "name",
                                        "visual",
                                        "ncols",
                                        "qmljsdebugger",
                                        "fn",
                                        "font",
                                        "bg",
                                        "background",
                                        "fg",
                                        "foreground",
                                        "btn",
                                        "button",
                                        "im",
                                        "inputstyle"};
const QStringList QtFlags = {"reverse", "widgetcount", "testability", "nograb",     "dograb",
                             "sync",    "cmap",        "dialogs",     "fontengine", "darkmode"};

std::optional<QDate> ParseDate(const QString& text) {
    for (const QString& format :
         {QStringLiteral("dd.MM.yyyy"), QStringLiteral("d.M.yyyy"), QStringLiteral("yyyy-MM-dd")}) {
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

struct CommandOptions {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Отчёт за даты с FROM по TO (ДД.ММ.ГГГГ или "
                                             "ГГГГ-ММ-ДД) без окна.")};
    QCommandLineOption pdf{QStringLiteral("pdf"),
                           QStringLiteral("Записать отчёт в PDF («-» — в стандартный вывод)."),
                           QStringLiteral("FILE")};
    QCommandLineOption summary{
        QStringLiteral("summary"),
        QStringLiteral("Итоги текущего расчётного периода (или дат с FROM по TO): записи, "
                       "время, сумма, бюджет, прогноз. Только читает данные.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Итоги одним объектом JSON, для панелей и скриптов.")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Записать отчёт в CSV («-» — в стандартный вывод)."),
                           QStringLiteral("FILE")};
    QCommandLineOption data{QStringLiteral("data"),
                            QStringLiteral("Папка данных программы (по умолчанию — текущая; "
                                           "запущенная из меню, программа хранит данные в "
                                           "~/.local/share/kelvora)."),
                            QStringLiteral("DIR")};

    CommandOptions() {
        parser.setApplicationDescription(
            QStringLiteral("Учёт времени работы в Интернете и его стоимости.\n"
                           "Без параметров запускается окно программы; папка, из которой она "
                           "запущена, хранит её таблицы. Параметры Qt (-platform, -session, "
                           "-style и другие) относятся к окну."));
        parser.addOptions({report, pdf, csv, summary, json, data});
        parser.addPositionalArgument(QStringLiteral("FROM"), QStringLiteral("Первая дата отчёта."),
                                     QStringLiteral("[FROM"));
        parser.addPositionalArgument(QStringLiteral("TO"), QStringLiteral("Последняя дата отчёта."),
                                     QStringLiteral("TO]"));
    }
};

const QString Usage = QStringLiteral("Использование: kelvora --report FROM TO (--pdf FILE | "
                                     "--csv FILE), или kelvora --summary [FROM TO] [--json]. "
                                     "Подробнее: kelvora --help");

// The format version of data.db, read without changing the file; nothing when it cannot be
// read (opening the table then says why).
std::optional<qint64> FormatOf(const QString& path) {
    try {
        SqliteDatabase db = SqliteDatabase::ReadOnly(path);
        db.SetBusyWait(1000);
        SqliteStatement version(db, "PRAGMA user_version");
        if (!version.Step())
            return std::nullopt;
        return version.Int(0);
    } catch (const SqliteError&) {
        return std::nullopt;
    }
}

// The connection the running program is timing, from the checkpoint it keeps in data.db at
// every poll: its start, and its time and charge up to the last moment it was seen. Nothing
// when none is open, or the file is too old to keep one; a damaged checkpoint is told.
std::optional<ConnectedShare> OpenConnection(const QString& path, QStringList& warnings) {
    const QString damaged = QStringLiteral("В файле «%1» незавершённое подключение записано с "
                                           "ошибкой: оно не учтено в итогах.")
                                .arg(QDir::toNativeSeparators(path));
    try {
        SqliteDatabase db = SqliteDatabase::ReadOnly(path);
        db.SetBusyWait(1000); // a reader waits for the program's commit rather than fail
        SqliteStatement kept(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                 "name = 'open_segment'");
        if (!kept.Step() || kept.Int(0) != 1)
            return std::nullopt;
        SqliteStatement open(db, "SELECT StartDate, StartTime, LastDate, LastTime, Rate "
                                 "FROM open_segment");
        if (!open.Step())
            return std::nullopt;
        const QDate startDate = QDate::fromString(open.Text(0), Qt::ISODate);
        const QDate lastDate = QDate::fromString(open.Text(2), Qt::ISODate);
        const auto msecs = [&open](int column) -> std::optional<int> {
            if (!open.IsInteger(column) || open.Int(column) < 0 || open.Int(column) > 86'399'999)
                return std::nullopt;
            return int(open.Int(column));
        };
        const auto startMsecs = msecs(1);
        const auto lastMsecs = msecs(3);
        if (!startDate.isValid() || !lastDate.isValid() || !startMsecs || !lastMsecs) {
            warnings << damaged;
            return std::nullopt;
        }
        const auto share = OpenSoFar(startDate, *startMsecs, open.Text(4), lastDate, *lastMsecs);
        if (!share || !std::isfinite(share->money) || share->money < 0) {
            warnings << damaged;
            return std::nullopt;
        }
        ConnectedShare connected{QDateTime(startDate, QTime::fromMSecsSinceStartOfDay(*startMsecs)),
                                 share->seconds, share->money};
        // Its bytes so far, kept beside it once the traffic is counted (version 5).
        SqliteStatement volumes(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                    "AND name = 'open_volume'");
        if (volumes.Step() && volumes.Int(0) == 1) {
            SqliteStatement volume(db, "SELECT Rx, Tx FROM open_volume");
            if (volume.Step()) {
                if (!volume.IsInteger(0) || !volume.IsInteger(1) || volume.Int(0) < 0 ||
                    volume.Int(1) < 0) {
                    warnings << damaged;
                    return std::nullopt;
                }
                connected.traffic = Traffic{quint64(volume.Int(0)), quint64(volume.Int(1))};
            }
        }
        return connected;
    } catch (const SqliteError& error) {
        warnings << damaged + QStringLiteral(" (%1)").arg(error.message);
        return std::nullopt;
    }
}

// The tariff's traffic terms from tarif.db, read without changing it: the defaults (no
// package) when the file keeps none; terms that cannot be read are told and left out.
TrafficTerms TrafficTermsIn(const QString& dataDirectory, QStringList& warnings) {
    const QString path = QDir(dataDirectory).filePath(TariffTable::FileName);
    if (!QFileInfo(path).isFile())
        return {};
    const QString damaged = QStringLiteral("В файле «%1» пакет трафика записан с ошибкой: "
                                           "остаток пакета не показан.")
                                .arg(QDir::toNativeSeparators(path));
    try {
        SqliteDatabase db = SqliteDatabase::ReadOnly(path);
        db.SetBusyWait(1000);
        SqliteStatement kept(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                 "name = 'traffic'");
        if (!kept.Step() || kept.Int(0) != 1)
            return {}; // a file from before the traffic was priced
        SqliteStatement terms(db, "SELECT Price, Package FROM traffic ORDER BY id LIMIT 1");
        if (!terms.Step())
            return {};
        if (!terms.IsInteger(1) || terms.Int(1) < 0) {
            warnings << damaged;
            return {};
        }
        return TrafficTerms{terms.Text(0), quint64(terms.Int(1))};
    } catch (const SqliteError& error) {
        warnings << damaged + QStringLiteral(" (%1)").arg(error.message);
        return {};
    }
}

// The parser's own words are English and come before any translation is loaded: its three
// refusals said in Russian.
QString ParseErrorText(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("Неизвестный параметр «%1».")
            .arg(parser.unknownOptionNames().first());
    const QString english = parser.errorText();
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    static const QRegularExpression unexpected(
        QStringLiteral("^Unexpected value after '(.*)'\\.$"));
    if (const auto m = missing.match(english); m.hasMatch())
        return QStringLiteral("После «%1» нет значения.").arg(m.captured(1));
    if (const auto m = unexpected.match(english); m.hasMatch())
        return QStringLiteral("У параметра «%1» не бывает значения.").arg(m.captured(1));
    return english;
}

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

namespace {
// What the parsed arguments ask for, but the data folder.
CommandRequest ReadRequest(CommandOptions& o) {
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
    const auto readDates = [&dates](CommandRequest& request) -> std::optional<CommandRequest> {
        const auto from = ParseDate(dates[0]);
        const auto to = ParseDate(dates[1]);
        if (!from || !to)
            return Wrong(QStringLiteral("Дата «%1» не распознана: пишите ДД.ММ.ГГГГ или "
                                        "ГГГГ-ММ-ДД.")
                             .arg(!from ? dates[0] : dates[1]));
        if (*from > *to)
            return Wrong(QStringLiteral("Первая дата %1 позже последней %2: итоги были бы "
                                        "пусты. Сначала пишите первую дату, потом последнюю.")
                             .arg(dates[0], dates[1]));
        request.from = *from;
        request.to = *to;
        return std::nullopt;
    };
    if (o.parser.isSet(o.summary)) {
        if (o.parser.isSet(o.report) || o.parser.isSet(o.pdf) || o.parser.isSet(o.csv) ||
            (dates.size() != 0 && dates.size() != 2))
            return Wrong(Usage);
        CommandRequest request;
        request.what = CommandRequest::What::Summary;
        request.json = o.parser.isSet(o.json);
        if (dates.size() == 2)
            if (auto wrong = readDates(request))
                return *wrong;
        return request;
    }
    if (o.parser.isSet(o.json))
        return Wrong(Usage);
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
} // namespace

CommandRequest ReadCommandLine(const QStringList& own) {
    CommandOptions o;
    if (!o.parser.parse(QStringList{QStringLiteral("kelvora")} + own))
        return Wrong(ParseErrorText(o.parser) + QLatin1Char('\n') + Usage);
    if (o.parser.values(o.data).size() > 1)
        return Wrong(QStringLiteral("Папка данных названа дважды.\n") + Usage);
    const QString dataDirectory = o.parser.value(o.data);
    CommandRequest request = ReadRequest(o);
    if (request.what == CommandRequest::What::Summary ||
        request.what == CommandRequest::What::Report)
        request.dataDirectory = dataDirectory;
    else if (!dataDirectory.isEmpty() && request.what != CommandRequest::What::Wrong)
        return Wrong(Usage);
    return request;
}

QStringList DataFiles(const QString& dataDirectory) {
    return ReportExport::ProgramFiles(dataDirectory);
}

int RunSummary(const CommandRequest& request, const QString& dataDirectory, const QDate& today,
               QString& out) {
    // The settings are read, never written: a file that cannot be read leaves the defaults,
    // and what could not be understood is said beside the figures.
    ProgramSettings settings(dataDirectory);
    QStringList warnings;
    if (const auto problem = settings.Load())
        warnings << *problem;
    const BudgetRead budget = ReadBudget(settings);
    warnings << budget.problems;
    const BillingPeriod range = request.from.isValid()
                                    ? BillingPeriod{request.from, request.to}
                                    : BillingPeriod::Containing(today, budget.budget.startDay);
    SpendTotal total;
    try {
        total = SpendTotal::Of(DayTotals::ReadFile(
            QDir(dataDirectory).filePath(SessionTable::FileName), range.first, range.last));
    } catch (const Failure& failure) {
        out = failure.message();
        return 1;
    }
    if (total.odd > 0) {
        out = QStringLiteral("За даты с %1 по %2 записей, в которых сумма или продолжительность "
                             "записаны не так, как их пишет программа: %3. Итоги не посчитаны; "
                             "отчёт за эти даты (kelvora --report ... --csv -) покажет, какие.")
                  .arg(TextForms::DateText(range.first), TextForms::DateText(range.last))
                  .arg(total.odd);
        return 1;
    }
    // The connection being timed counts as spent already, as it does in the window.
    const auto connected =
        OpenConnection(QDir(dataDirectory).filePath(SessionTable::FileName), warnings);
    const bool inRange = connected && connected->since.date() >= range.first &&
                         connected->since.date() <= range.last;
    if (inRange)
        total =
            WithOpen(total, OpenCharge{connected->seconds, connected->money}, connected->traffic);
    // tarif.db is looked at only for the traffic's package.
    const TrafficTerms terms =
        total.trafficCounted ? TrafficTermsIn(dataDirectory, warnings) : TrafficTerms{};
    SpendFigures figures = SpendFigures::Of(total, range, budget.budget, today, terms);
    if (inRange)
        figures.connected = connected;
    out = request.json ? QString::fromUtf8(
                             QJsonDocument(SummaryJson(figures)).toJson(QJsonDocument::Compact)) +
                             QLatin1Char('\n')
                       : SummaryText(figures);
    for (const QString& warning : warnings)
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    return 0;
}

namespace {
// --report: the records of the request's dates as a PDF or CSV file, from the data folder's
// tables, changing none of the program's files.
int RunReport(const CommandRequest& request, const QString& dir) {
    auto fail = [](const QString& message) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    };
    if (!QFileInfo::exists(QDir(dir).filePath(SessionTable::FileName)))
        return fail(QStringLiteral("В папке «%1» нет файла %2: запустите отчёт из папки данных "
                                   "программы или назовите её в --data.")
                        .arg(QDir::toNativeSeparators(dir), SessionTable::FileName));
    // int.ini may be beside the program or in the configuration folder: both are kept off.
    QStringList keepOff = DataFiles(dir);
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    keepOff << QDir(QCoreApplication::applicationDirPath()).filePath(WindowSettings::FileName)
            << QDir(configDir).filePath(QStringLiteral("kelvora/") + WindowSettings::FileName);
    // An older data.db is read through a copy of it: opening the file itself would bring it
    // to this version's format, and a report changes nothing of the program's files.
    QTemporaryDir snapshot;
    QString tableDir = dir;
    const QString dataPath = QDir(dir).filePath(SessionTable::FileName);
    if (const auto format = FormatOf(dataPath); format && *format < CurrentFormat) {
        try {
            SqliteDatabase db = SqliteDatabase::ReadOnly(dataPath);
            db.SetBusyWait(1000);
            if (!snapshot.isValid())
                throw SqliteError(0, snapshot.errorString());
            SqliteStatement(db, "VACUUM INTO ?")
                .Bind(1, QDir(snapshot.path()).filePath(SessionTable::FileName))
                .Run();
        } catch (const SqliteError& error) {
            return fail(QStringLiteral("Файл «%1» прежнего формата не прочитан: %2.")
                            .arg(QDir::toNativeSeparators(dataPath), error.message));
        }
        tableDir = snapshot.path();
    }
    try {
        const SessionTable table(tableDir);
        SessionRange range = table.CurrentRange();
        range.from = request.from;
        range.to = request.to;
        // The traffic shows when the user turned the grid's traffic columns on.
        ReportDocument document(table, range, ReportSummary(table, range, TrafficColumnsOn(dir)));
        // The daily copies too: each is the only way back to an earlier day.
        const ReportExport::ReportTarget target{
            request.path, keepOff, {ReportExport::BackupFolder(dir)}};
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
} // namespace

int RunCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandRequest request = ReadCommandLine(OwnArguments(arguments));
    if (request.what == CommandRequest::What::Wrong) {
        std::fprintf(stderr, "%s\n", qPrintable(request.message));
        return 2;
    }

    // The tables' folder: the current one, or the one --data names.
    const QString dir = request.dataDirectory.isEmpty()
                            ? QDir::currentPath()
                            : QDir(request.dataDirectory).absolutePath();
    if (!QFileInfo(dir).isDir()) {
        std::fprintf(
            stderr, "%s\n",
            qPrintable(
                QStringLiteral("Папки данных «%1» нет.").arg(QDir::toNativeSeparators(dir))));
        return 1;
    }
    if (request.what == CommandRequest::What::Summary) {
        QString out;
        const int code = RunSummary(request, dir, QDate::currentDate(), out);
        std::fputs(out.toUtf8().constData(), code == 0 ? stdout : stderr);
        if (code != 0)
            std::fputc('\n', stderr);
        return code;
    }

    // Nothing is shown: no display is needed, so the report runs from cron as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Translations::InstallRussian(app); // --help's own lines in Russian too
    QCoreApplication::setApplicationName(QStringLiteral("kelvora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));
    if (request.what != CommandRequest::What::Report) {
        CommandOptions o;
        o.parser.process(QStringList{arguments.value(0)} +
                         QStringList{request.what == CommandRequest::What::Help
                                         ? QStringLiteral("--help")
                                         : QStringLiteral("--version")}); // prints and exits
        return 0;
    }

    return RunReport(request, dir);
}
