#include "CommandLine.h"

#include "report/ReportDocument.h"
#include "report/ExportProgress.h"
#include "report/ReportExport.h"
#include "report/ReportTotals.h"
#include "storage/Failure.h"
#include "storage/SessionTable.h"
#include "ui/Translations.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

namespace {

std::optional<QDate> ParseDate(const QString& text) {
    for (const QString& format : {QStringLiteral("dd.MM.yyyy"), QStringLiteral("d.M.yyyy"),
                                  QStringLiteral("yyyy-MM-dd")}) {
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

int Fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

} // namespace

bool WantsCommandLine(int argc, char* argv[]) {
    Q_UNUSED(argv);
    return argc > 1;
}

int RunCommandLine(int argc, char* argv[]) {
    // Nothing is shown: no display is needed, so the report runs from cron as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Translations::InstallRussian(app); // --help's own lines in Russian too
    QCoreApplication::setApplicationName(QStringLiteral("kelvora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Учёт времени работы в Интернете и его стоимости.\n"
                       "Без параметров запускается окно программы; папка, из которой она "
                       "запущена, хранит её таблицы."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Отчёт за даты с FROM по TO (ДД.ММ.ГГГГ или "
                                                   "ГГГГ-ММ-ДД) без окна."));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Записать отчёт в PDF."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Записать отчёт в CSV."),
                                 QStringLiteral("FILE"));
    parser.addOptions({report, pdf, csv});
    parser.addPositionalArgument(QStringLiteral("FROM"), QStringLiteral("Первая дата отчёта."),
                                 QStringLiteral("[FROM"));
    parser.addPositionalArgument(QStringLiteral("TO"), QStringLiteral("Последняя дата отчёта."),
                                 QStringLiteral("TO]"));
    parser.process(app); // --help and --version print and end here

    const QStringList dates = parser.positionalArguments();
    if (!parser.isSet(report) || dates.size() != 2 || (parser.isSet(pdf) == parser.isSet(csv)))
        return Fail(QStringLiteral("Использование: kelvora --report FROM TO (--pdf FILE | --csv "
                                   "FILE). Подробнее: kelvora --help"));
    const auto from = ParseDate(dates[0]);
    const auto to = ParseDate(dates[1]);
    if (!from || !to)
        return Fail(QStringLiteral("Дата «%1» не распознана: пишите ДД.ММ.ГГГГ или ГГГГ-ММ-ДД.")
                        .arg(!from ? dates[0] : dates[1]));

    const QString dir = QDir::currentPath();
    if (!QFileInfo::exists(QDir(dir).filePath(SessionTable::FileName)))
        return Fail(QStringLiteral("В папке «%1» нет файла %2: запустите отчёт из папки данных "
                                   "программы.")
                        .arg(QDir::toNativeSeparators(dir), SessionTable::FileName));
    try {
        const SessionTable table(dir);
        SessionRange range = table.CurrentRange();
        range.from = *from;
        range.to = *to;
        const ReportTotals totals = ReportTotals::Of(table, range);
        ReportDocument document(table, range, {totals.MoneyText(), totals.TimeText()});
        TerminalProgress progress; // a line on a terminal only
        if (parser.isSet(pdf))
            ReportExport::WritePdf(document, parser.value(pdf), &progress);
        else
            ReportExport::WriteCsv(document, parser.value(csv), &progress);
    } catch (const Failure& failure) {
        return Fail(failure.message());
    }
    return 0;
}
