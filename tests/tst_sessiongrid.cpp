// The main window's grid as it is painted: the colours the user chooses for the cells, the
// fixed area and the titles, the grey lines, the selected row and the record indicator,
// read back from the pixels; the traffic columns the user turns on and off.
#include "GuiFakes.h"
#include "TestFiles.h"
#include "app/RecordsPane.h"
#include "app/SessionGrid.h"
#include "settings/ProgramSettings.h"
#include "storage/SessionModel.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

struct Choice {
    QColor cells;
    QColor fixed;
    FontChoice titles;
};

// The grid over three records, the newest selected and marked, with the choice applied.
struct PaintedGrid {
    QTemporaryDir dir;
    std::unique_ptr<SessionTable> table;
    std::unique_ptr<SessionModel> model;
    std::unique_ptr<SessionGrid> grid;
    QImage shot;

    explicit PaintedGrid(const Choice& choice) {
        table = std::make_unique<SessionTable>(dir.path());
        for (const char* start : {"9:00:00", "10:00:00", "11:00:00"})
            table->Append({QDate(2026, 12, 7), start, "12:00:00", "1:00:00", "20", "20"});
        model = std::make_unique<SessionModel>(*table);
        grid = std::make_unique<SessionGrid>(model.get());
        grid->SetCellColor(choice.cells);
        grid->SetFixedColor(choice.fixed);
        grid->SetTitleFont(choice.titles);
        grid->resize(640, 160);
        model->SetCurrentRow(0);
        grid->selectRow(0);
        shot = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The cell's rectangle in the picture, without the grid's lines.
    QRect Cell(int row, int column) const {
        return grid->visualRect(model->index(row, column)).translated(grid->viewport()->pos());
    }
    QRect Title(int column) const {
        const QHeaderView* header = grid->horizontalHeader();
        return QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                     header->height())
            .translated(header->pos());
    }
    QRect Indicator(int row) const {
        const QHeaderView* header = grid->verticalHeader();
        return QRect(0, header->sectionViewportPosition(row), header->width(),
                     header->sectionSize(row))
            .translated(header->pos());
    }
    QColor At(QPoint point) const { return shot.pixelColor(point); }

    // How near the pixel of the area nearest to the colour comes to it: a text drawn in
    // that colour has pixels of it, or all but, where its strokes cover them.
    int Nearest(const QRect& area, const QColor& color) const {
        int best = INT_MAX;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                best = std::min(best, std::abs(c.red() - color.red()) +
                                          std::abs(c.green() - color.green()) +
                                          std::abs(c.blue() - color.blue()));
            }
        return best;
    }
};

FontChoice Titles(const QColor& color, int pixels = 13) {
    FontChoice titles = SessionGrid::DefaultTitleFont();
    titles.font.setPixelSize(pixels);
    titles.color = color;
    return titles;
}

} // namespace

Q_DECLARE_METATYPE(Choice)

class TestSessionGrid : public QObject {
    Q_OBJECT
private slots:
    void paintsTheChosenColours_data() {
        QTest::addColumn<Choice>("choice");
        QTest::newRow("as it opens")
            << Choice{SessionGrid::DefaultCellColor, SessionGrid::DefaultFixedColor,
                      SessionGrid::DefaultTitleFont()};
        QTest::newRow("light cells, dark fixed area")
            << Choice{QColor(Qt::yellow), QColor(Qt::black), Titles(QColor(Qt::red))};
        QTest::newRow("grey cells, white fixed area, bigger titles")
            << Choice{QColor(128, 128, 128), QColor(Qt::white), Titles(QColor(0, 100, 0), 16)};
    }
    void paintsTheChosenColours() {
        QFETCH(Choice, choice);
        const PaintedGrid p(choice);
        const SessionGrid& grid = *p.grid;

        // The cells, the grid's lines between them, and the selected row.
        const QRect cell = p.Cell(2, 4);
        QCOMPARE(p.At({cell.right() - 2, cell.center().y()}), choice.cells);
        QCOMPARE(p.At({cell.right() + 1, cell.center().y()}), SessionGrid::LineColor);
        QCOMPARE(p.At({cell.center().x(), cell.bottom() + 1}), SessionGrid::LineColor);
        const QRect selected = p.Cell(0, 4);
        QCOMPARE(p.At({selected.right() - 2, selected.center().y()}), SessionGrid::SelectionColor);
        QVERIFY2(p.Nearest(p.Cell(1, 0), grid.CellTextColor()) <= 60,
                 qPrintable(grid.CellTextColor().name()));
        QVERIFY(p.Nearest(p.Cell(0, 0), Qt::white) <= 60);

        // The title row: flat in the fixed colour, grey lines right and below, the titles
        // in their own colour.
        const QRect title = p.Title(1);
        QCOMPARE(p.At({title.right() - 2, title.top() + 2}), choice.fixed);
        QCOMPARE(p.At({title.right(), title.center().y()}), SessionGrid::LineColor);
        QCOMPARE(p.At({title.center().x(), title.bottom()}), SessionGrid::LineColor);
        QVERIFY2(p.Nearest(title, choice.titles.color) <= 60,
                 qPrintable(choice.titles.color.name()));
        QCOMPARE(grid.horizontalHeader()->font().pixelSize(), choice.titles.font.pixelSize());

        // The indicator column: the mark on the current row, the same colour below the last
        // row and in the corner above the column.
        const QRect marked = p.Indicator(0);
        QCOMPARE(p.At({marked.left() + 1, marked.top() + 1}), choice.fixed);
        QCOMPARE(p.At({marked.right(), marked.center().y()}), SessionGrid::LineColor);
        QVERIFY2(p.Nearest(marked.adjusted(0, 0, -1, -1), grid.FixedTextColor()) <= 60,
                 qPrintable(grid.FixedTextColor().name()));
        QVERIFY(p.Nearest(p.Indicator(1).adjusted(0, 0, -1, -1), grid.FixedTextColor()) > 60);
        const QRect below = p.Indicator(2).translated(0, p.Indicator(2).height());
        QCOMPARE(p.At(below.center()), choice.fixed);
        const auto* corner =
            grid.findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(corner);
        QCOMPARE(p.At(corner->geometry().center()), choice.fixed);
    }

    // A choice shows at once, on a grid already painted.
    void aChoiceShowsAtOnce() {
        PaintedGrid p({SessionGrid::DefaultCellColor, SessionGrid::DefaultFixedColor,
                       SessionGrid::DefaultTitleFont()});
        p.grid->SetCellColor(Qt::darkRed);
        p.grid->SetFixedColor(Qt::yellow);
        p.shot = p.grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect cell = p.Cell(2, 4);
        QCOMPARE(p.At({cell.right() - 2, cell.center().y()}), QColor(Qt::darkRed));
        const QRect title = p.Title(1);
        QCOMPARE(p.At({title.right() - 2, title.top() + 2}), QColor(Qt::yellow));
    }

    // "Трафик в таблице": two more columns in mebibytes, empty for a record stored before the
    // traffic was counted, kept in kelvora.ini while on; off, the file is as it was before.
    void trafficColumnsComeAndGo() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("kelvora.ini");
        ProgramSettings(dir.path()).Save({{"Budget/Money", "500"}});
        const QByteArray before = FileDigest(ini);
        SessionTable table(dir.path());
        table.Append({QDate(2026, 12, 7), "9:00:00", "10:00:00", "1:00:00", "20", "20",
                      Traffic{12'900'000, 1 << 20}});
        table.Append({QDate(2026, 12, 7), "11:00:00", "12:00:00", "1:00:00", "20", "20"});
        FakeDialogs dialogs;
        QMainWindow window;
        RecordsPane pane(window, table, dialogs);
        QSignalSpy changed(&pane, &RecordsPane::TrafficColumnsChanged);
        const QAbstractItemModel& model = *pane.Grid()->model();
        QCOMPARE(model.columnCount(), 6);

        pane.SetTrafficColumns(true);
        QCOMPARE(model.columnCount(), 8);
        QCOMPARE(model.headerData(7, Qt::Horizontal).toString(), QStringLiteral("Передано"));
        QCOMPARE(model.index(1, 6).data().toString(), QStringLiteral("12,3\u00a0МБ"));
        QCOMPARE(model.index(1, 7).data().toString(), QStringLiteral("1,00\u00a0МБ"));
        QCOMPARE(model.index(0, 6).data().toString(), QString());
        // The sums stretch no longer, and keep room for their longest text.
        const SessionGrid& grid = *pane.Grid();
        QVERIFY(grid.columnWidth(5) > grid.fontMetrics().horizontalAdvance("30,1666666666667"));
        QVERIFY(grid.selectionModel()->isSelected(model.index(0, 7))); // the whole row
        QCOMPARE(grid.horizontalHeader()->count(), 8); // told of both columns as they came
        QMainWindow again;
        QVERIFY(RecordsPane(again, table, dialogs).TrafficColumns()); // read back at the next start

        pane.SetTrafficColumns(false);
        QCOMPARE(model.columnCount(), 6);
        QCOMPARE(grid.columnWidth(5), 85);
        QCOMPARE(grid.horizontalHeader()->count(), 6);
        QCOMPARE(FileDigest(ini), before);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed[0][0].toBool(), true);
        QCOMPARE(changed[1][0].toBool(), false);
        QVERIFY(dialogs.errors.isEmpty());

        // A value not understood: off, and the user is told; a file that cannot be written:
        // nothing changes, and the user is told why.
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Grid]\nTraffic=maybe\n") > 0);
        file.close();
        QMainWindow third;
        const RecordsPane misread(third, table, dialogs);
        QVERIFY(!misread.TrafficColumns());
        QTRY_COMPARE(dialogs.errors.size(), 1);
        QVERIFY2(dialogs.errors[0].contains("maybe"), qPrintable(dialogs.errors[0]));
        QVERIFY(QFile::remove(ini) && QDir().mkdir(ini));
        pane.SetTrafficColumns(true);
        QCOMPARE(dialogs.errors.size(), 2);
        QCOMPARE(model.columnCount(), 6);
        QCOMPARE(changed.size(), 2);
    }
};

QTEST_MAIN(TestSessionGrid)
#include "tst_sessiongrid.moc"
