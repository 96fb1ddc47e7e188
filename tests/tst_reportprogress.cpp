// Long report output under progress: every step reported, a stop leaving no file behind
// (and a file that was there as it was), the finished file the same as one made without.
#include "GuiFakes.h"
#include "report/ExportProgress.h"
#include "report/PreviewWindow.h"
#include "report/ProgressWindow.h"
#include "report/ReportDialog.h"
#include "report/ReportDocument.h"
#include "report/ReportExport.h"

#include <QAction>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QtTest>

namespace {
const QDate Dec7(2026, 12, 7);

// Records the steps; asks to stop once `stopAt` steps are done (never when negative).
class ScriptedProgress final : public ExportProgress {
public:
    explicit ScriptedProgress(qint64 stopAt = -1) : stopAt_(stopAt) {}
    void Begin(qint64 total, const QString& unit) override {
        this->total = total;
        this->unit = unit;
        ++begun;
    }
    bool Advance(qint64 done) override {
        steps << done;
        return stopAt_ < 0 || done < stopAt_;
    }
    void End() override { ++ended; }
    qint64 total = -1;
    QString unit;
    QList<qint64> steps;
    int begun = 0;
    int ended = 0;

private:
    qint64 stopAt_;
};

// A report of 150 records: four pages.
struct Rig {
    QTemporaryDir dir;
    SessionTable table{dir.path()};
    std::unique_ptr<ReportDocument> report;
    Rig() {
        for (int i = 0; i < 150; ++i)
            table.Append({Dec7, QString::number(i), "b", "0:01:00", "1", "1"});
        report = std::make_unique<ReportDocument>(
            table, table.CurrentRange(),
            ReportLayout::Summary{"150", "Общ. время работы - 2:30:0"});
    }
};

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A PDF without what differs between two writings of the same pages: the moment of
// writing and the document's random identifier.
QByteArray Comparable(QByteArray pdf) {
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[^)]*\\)"));
    static const QRegularExpression id(QStringLiteral("/ID \\[<[0-9a-fA-F]*> ?<[0-9a-fA-F]*>\\]"));
    QString text = QString::fromLatin1(pdf);
    text.replace(date, QStringLiteral("/CreationDate ()"));
    text.replace(id, QStringLiteral("/ID []"));
    // Byte offsets in the cross-reference table shift with the removed text; so does
    // startxref. Both follow from the rest.
    static const QRegularExpression xref(QStringLiteral("xref\\n[\\s\\S]*"));
    text.replace(xref, QStringLiteral("xref"));
    return text.toLatin1();
}
} // namespace

class TestReportProgress : public QObject {
    Q_OBJECT
    std::unique_ptr<Rig> shared_; // made once: 150 records take a while to store

    Rig& Shared() {
        if (!shared_)
            shared_ = std::make_unique<Rig>();
        for (const QString& name : QDir(shared_->dir.path()).entryList({"*.pdf", "*.csv"}))
            QFile::remove(shared_->dir.filePath(name));
        return *shared_;
    }

private slots:
    void everyPageReportedInOrder() {
        Rig& rig = Shared();
        ScriptedProgress progress;
        ReportExport::WritePdf(*rig.report, rig.dir.filePath("r.pdf"), &progress);
        QCOMPARE(rig.report->PageCount(), 4);
        QCOMPARE(progress.total, 4);
        QCOMPARE(progress.unit, QStringLiteral("Страница"));
        QCOMPARE(progress.steps, (QList<qint64>{0, 1, 2, 3}));
        QCOMPARE(progress.begun, 1);
        QCOMPARE(progress.ended, 1);
    }

    void aStopLeavesNoFileAndKeepsTheOldOne_data() {
        QTest::addColumn<bool>("csv");
        QTest::addColumn<bool>("fileBefore");
        QTest::newRow("PDF, new file") << false << false;
        QTest::newRow("PDF over an older report") << false << true;
        QTest::newRow("CSV, new file") << true << false;
        QTest::newRow("CSV over an older report") << true << true;
    }
    void aStopLeavesNoFileAndKeepsTheOldOne() {
        QFETCH(bool, csv);
        QFETCH(bool, fileBefore);
        Rig& rig = Shared();
        const QString path = rig.dir.filePath(csv ? "r.csv" : "r.pdf");
        const QByteArray old = "the report of last month";
        if (fileBefore) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        ScriptedProgress progress(csv ? 64 : 2); // halfway: records 64 of 150, pages 2 of 4
        bool stopped = false;
        try {
            if (csv)
                ReportExport::WriteCsv(*rig.report, path, &progress);
            else
                ReportExport::WritePdf(*rig.report, path, &progress);
        } catch (const ExportCancelled&) {
            stopped = true;
        }
        QVERIFY(stopped);
        QCOMPARE(progress.ended, 1);
        if (fileBefore)
            QCOMPARE(Read(path), old);
        else
            QVERIFY(!QFileInfo::exists(path));
        // Nor any temporary file of the writing beside it.
        QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files).filter(csv ? ".csv" : ".pdf").size(),
                 fileBefore ? 1 : 0);
    }

    void withProgressTheSameFileAsWithout() {
        Rig& rig = Shared();
        const QString plain = rig.dir.filePath("plain.pdf");
        const QString watched = rig.dir.filePath("watched.pdf");
        ReportExport::WritePdf(*rig.report, plain);
        ScriptedProgress progress;
        ReportExport::WritePdf(*rig.report, watched, &progress);
        QVERIFY(Read(plain).size() > 1000);
        QCOMPARE(Comparable(Read(watched)), Comparable(Read(plain)));

        const QString plainCsv = rig.dir.filePath("plain.csv");
        const QString watchedCsv = rig.dir.filePath("watched.csv");
        ReportExport::WriteCsv(*rig.report, plainCsv);
        ReportExport::WriteCsv(*rig.report, watchedCsv, &progress);
        QCOMPARE(Read(watchedCsv), Read(plainCsv));
    }

    // The window's cancel button stops the saving; the preview says nothing about it.
    void cancelInTheWindowStopsTheSave() {
        Rig& rig = Shared();
        FakeDialogs dialogs;
        PreviewWindow preview(rig.report.get(), dialogs);
        preview.show();
        const QString path = rig.dir.filePath("cancelled.pdf");
        dialogs.saveAnswer = path;
        // Pressed as soon as the progress window exists.
        QTimer press;
        connect(&press, &QTimer::timeout, &preview, [&] {
            if (auto* progress = preview.findChild<QProgressDialog*>())
                progress->cancel();
        });
        press.start(0);
        preview.SaveReport();
        press.stop();
        QVERIFY(!preview.findChild<QProgressDialog*>()); // gone with the work
        QVERIFY(dialogs.errors.isEmpty());
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr); // the busy cursor put back

        // Left alone, the same save writes the file.
        preview.SaveReport();
        QVERIFY(QFileInfo::exists(path));
    }

    void previewClosesOnAltC() {
        Rig& rig = Shared();
        FakeDialogs dialogs;
        PreviewWindow preview(rig.report.get(), dialogs);
        preview.show();
        QVERIFY(QTest::qWaitForWindowActive(&preview));
        QCOMPARE(preview.findChild<QAction*>("Close")->text(), QStringLiteral("&Close"));
        QTest::keyClick(&preview, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!preview.isVisible());
        QCOMPARE(preview.result(), int(QDialog::Accepted));
    }

    void aReportWithoutItsTableSaysSoInRussian() {
        FakeDialogs dialogs;
        ReportForm form;
        ReportDialog dialog(form, dialogs);
        dialog.ShowReport();
        QCOMPARE(dialogs.errors,
                 QStringList{"Таблица записей не открыта: отчёт составить нельзя."});
    }
};

QTEST_MAIN(TestReportProgress)
#include "tst_reportprogress.moc"
