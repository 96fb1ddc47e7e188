#include "ReportExport.h"

#include "ExportProgress.h"
#include "ReportDocument.h"
#include "platform/FileKind.h"
#include "settings/OptionsFile.h"
#include "settings/ProgramSettings.h"
#include "settings/WindowSettings.h"
#include "storage/Failure.h"
#include "storage/SessionTable.h"
#include "storage/TariffTable.h"
#include "storage/TextForms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace ReportExport {
namespace {

[[noreturn]] void CannotWrite(const QString& path, const QString& reason) {
    throw Failure(QStringLiteral("Не удалось сохранить отчёт в файл «%1»: %2.")
                      .arg(QDir::toNativeSeparators(path), reason));
}

// Where a path puts its file, whether the file is there or not: the folder, whatever its
// spelling, and the name; a symbolic link stands for the file it points to.
struct Place {
    std::optional<FileIdentity> folder;
    QString name;
    bool operator==(const Place&) const = default;
};
Place PlaceOf(const QString& path) {
    QFileInfo info(path);
    if (info.isSymLink())
        info = QFileInfo(info.symLinkTarget());
    return {FactsOf(info.absolutePath()).identity, info.fileName()};
}

// The open destination of one report.
class Output {
public:
    explicit Output(const ReportTarget& target) : path_(target.path) {
        if (path_ == QStringLiteral("-")) {
            if (!stream_.open(1, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
                CannotWrite(QStringLiteral("стандартный вывод"), stream_.errorString());
            device_ = &stream_;
            return;
        }
        const FileFacts facts = FactsOf(path_);
        const Place place = PlaceOf(path_);
        for (const QString& kept : target.keepOff)
            if ((facts.identity && FactsOf(kept).identity == facts.identity) ||
                (place.folder && PlaceOf(kept) == place))
                CannotWrite(path_, QStringLiteral("это файл данных программы «%1», отчёт не "
                                                  "может его заменить или создать; выберите "
                                                  "другое имя")
                                       .arg(QDir::toNativeSeparators(kept)));
        for (const QString& folder : target.keepOutOf)
            if (place.folder && FactsOf(folder).identity == place.folder)
                CannotWrite(path_, QStringLiteral("в папке «%1» программа хранит свои копии "
                                                  "данных, отчёт туда не пишется; выберите "
                                                  "другую папку")
                                       .arg(QDir::toNativeSeparators(folder)));
        if (facts.kind == FileKind::Stream) {
            // ExistingOnly: should the device or pipe vanish meanwhile, no file is made instead.
            stream_.setFileName(path_);
            if (!stream_.open(QIODevice::WriteOnly | QIODevice::ExistingOnly))
                CannotWrite(path_, stream_.errorString());
            device_ = &stream_;
        } else {
            file_.setFileName(path_);
            if (!file_.open(QIODevice::WriteOnly))
                CannotWrite(path_, file_.errorString());
            device_ = &file_;
        }
    }

    QIODevice* Device() const { return device_; }

    void Commit() {
        if (device_ == &file_) {
            if (file_.error() != QFileDevice::NoError || !file_.commit())
                CannotWrite(path_, file_.errorString());
            return;
        }
        if (stream_.error() != QFileDevice::NoError || !stream_.flush())
            CannotWrite(path_ == QStringLiteral("-") ? QStringLiteral("стандартный вывод") : path_,
                        stream_.errorString());
        stream_.close();
    }

private:
    QString path_;
    QSaveFile file_;
    QFile stream_;
    QIODevice* device_ = nullptr;
};

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

QStringList ProgramFiles(const QString& dataDirectory) {
    const QDir dir(dataDirectory);
    QStringList files;
    for (const QString& table : {SessionTable::FileName, TariffTable::FileName})
        for (const char* side : {"", "-wal", "-shm", "-journal"})
            files << dir.filePath(table + QLatin1String(side));
    files << dir.filePath(OptionsFile::FileName)
          << dir.filePath(QString::fromLatin1(ProgramSettings::FileName))
          << dir.filePath(QStringLiteral(".kelvora.lock"))
          << dir.filePath(WindowSettings::FileName);
    return files;
}

QString BackupFolder(const QString& dataDirectory) {
    return QDir(dataDirectory).filePath(QStringLiteral("backup"));
}

void WritePdf(ReportDocument& report, const ReportTarget& target, ExportProgress* progress) {
    Output output(target);
    {
        ProgressScope steps(progress, report.PageCount(), QStringLiteral("Страница"));
        QPdfWriter writer(output.Device());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(600);
        writer.setTitle(QStringLiteral("Отчёт"));
        writer.setCreator(QStringLiteral("Kelvora"));
        QPainter painter(&writer);
        const QRectF sheet(0, 0, writer.width(), writer.height());
        report.ForEachPage(
            0, report.PageCount() - 1, [&](qint64 page, const std::vector<SessionRecord>& records) {
                steps.Advance(page);
                if (page > 0)
                    writer.newPage();
                ReportLayout::PaintPage(painter, sheet,
                                        ReportLayout::PageAt(report.Records(), page), records,
                                        report.Summary(), report.Measures());
            });
    }
    output.Commit();
}

void WriteCsv(const ReportDocument& report, const ReportTarget& target, ExportProgress* progress) {
    Output output(target);
    QIODevice& file = *output.Device();
    ProgressScope steps(progress, report.Records(), QStringLiteral("Запись"));
    qint64 written = 0;
    const ReportLayout::Summary& summary = report.Summary();
    auto line = [&](const QStringList& fields) {
        QStringList quoted;
        for (const QString& f : fields)
            quoted << CsvField(f);
        file.write((quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8());
    };
    // The traffic in exact bytes at the end of the line, while the grid shows it.
    auto withTraffic = [&](QStringList fields, const std::optional<Traffic>& traffic) {
        if (summary.showTraffic)
            fields << (traffic ? QString::number(traffic->rx) : QString())
                   << (traffic ? QString::number(traffic->tx) : QString());
        return fields;
    };
    QStringList captions{QStringLiteral("Дата входа"),   QStringLiteral("Время входа"),
                         QStringLiteral("Время выхода"), QStringLiteral("Продолжительность"),
                         QStringLiteral("Тариф"),        QStringLiteral("Сумма")};
    if (summary.showTraffic)
        captions << QStringLiteral("Принято, байт") << QStringLiteral("Передано, байт");
    line(captions);
    report.ForEachRecord([&](const SessionRecord& r) {
        if (written++ % 64 == 0)
            steps.Advance(written - 1);
        line(withTraffic(
            {TextForms::DateText(r.date), r.startTime, r.endTime, r.duration, r.rate, r.charge},
            r.traffic));
    });
    // The totals under their columns: the time under the durations, the money under the sums.
    QString time = summary.time;
    time = time.mid(time.lastIndexOf(QLatin1Char(' ')) + 1);
    line(withTraffic({QStringLiteral("Итого"), {}, {}, time, {}, summary.money}, summary.traffic));
    output.Commit();
}

} // namespace ReportExport
