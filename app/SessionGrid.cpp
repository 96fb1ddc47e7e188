#include "SessionGrid.h"

#include "spend/SpendFigures.h"
#include "storage/SessionModel.h"
#include "ui/Contrast.h"
#include "ui/ProgramStyle.h"
#include "ui/UiFonts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

const QColor SessionGrid::DefaultCellColor(0, 0, 128);
const QColor SessionGrid::DefaultFixedColor(0, 255, 255);
const QColor SessionGrid::LineColor(128, 128, 128);
const QColor SessionGrid::SelectionColor(0x31, 0x6a, 0xc5);

namespace {
constexpr int RowHeight = 17;
constexpr int TitleHeight = 19;
constexpr int IndicatorWidth = 14;
constexpr int TextIndent = 2; // the sections' texts keep this far from their left edge
// The six columns' widths; the last one stretches beyond its width. The traffic's after them.
constexpr int Widths[] = {82, 93, 101, 138, 82, 85};
constexpr int TrafficWidth = 80; // "12 345,6 МБ"
// With the traffic after them the sums no longer stretch: as wide as "30,1666666666667".
constexpr int SumsWidth = 108;
} // namespace

// The title row and the record indicator column: flat sections in one colour, each with a
// grey line on its right and at its bottom, instead of the style's raised buttons. The
// sections have fixed sizes, so the header never measures its texts.
class FlatHeader final : public QHeaderView {
public:
    FlatHeader(Qt::Orientation orientation, QSize sectionSize, QWidget* parent)
        : QHeaderView(orientation, parent), sectionSize_(sectionSize) {
        // What the table view gives its own headers.
        setSectionsClickable(true);
        setHighlightSections(true);
    }

    void SetColors(const QColor& background, const QColor& text) {
        background_ = background;
        text_ = text;
        viewport()->update();
    }

protected:
    QSize sectionSizeFromContents(int) const override { return sectionSize_; }

    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        const QRect area = event->rect();
        painter.fillRect(area, background_); // also beyond the last section
        const bool horizontal = orientation() == Qt::Horizontal;
        const int first = visualIndexAt(horizontal ? area.left() : area.top());
        if (first < 0)
            return;
        int last = visualIndexAt(horizontal ? area.right() : area.bottom());
        if (last < 0)
            last = count() - 1;
        for (int visual = first; visual <= last; ++visual) {
            const int logical = logicalIndex(visual);
            if (isSectionHidden(logical))
                continue;
            const int at = sectionViewportPosition(logical);
            const int size = sectionSize(logical);
            const QRect rect = horizontal ? QRect(at, 0, size, viewport()->height())
                                          : QRect(0, at, viewport()->width(), size);
            painter.save();
            paintSection(&painter, rect, logical);
            painter.restore();
        }
    }

    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        painter->fillRect(rect, background_);
        painter->setPen(SessionGrid::LineColor);
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        const QString text =
            model() ? model()->headerData(logical, orientation()).toString() : QString();
        if (text.isEmpty())
            return;
        QFont font = this->font();
        // The selected row's indicator in bold, as a plain header marks it.
        const QItemSelectionModel* selection = selectionModel();
        if (highlightSections() && selection &&
            (orientation() == Qt::Horizontal ? selection->isColumnSelected(logical, rootIndex())
                                             : selection->isRowSelected(logical, rootIndex())))
            font.setBold(true);
        painter->setFont(font);
        painter->setPen(text_);
        const QVariant aligned = model()->headerData(logical, orientation(), Qt::TextAlignmentRole);
        const QRect inside =
            rect.adjusted(TextIndent, 0, aligned.isValid() ? -TextIndent - 1 : -1, -1);
        painter->drawText(inside, aligned.isValid() ? aligned.toInt() : int(defaultAlignment()),
                          QFontMetrics(font).elidedText(text, textElideMode(), inside.width()));
    }

private:
    QSize sectionSize_;
    QColor background_ = SessionGrid::DefaultFixedColor;
    QColor text_ = Qt::black;
};

FontChoice SessionGrid::DefaultTitleFont() {
    return {UiFonts::Font(UiFonts::TitleFamilies(), 13), QColor(128, 0, 128)};
}

SessionGrid::SessionGrid(SessionModel* model, QWidget* parent)
    : QTableView(parent), sessions_(model),
      titles_(new FlatHeader(Qt::Horizontal, {0, TitleHeight}, this)),
      indicators_(new FlatHeader(Qt::Vertical, {IndicatorWidth, RowHeight}, this)) {
    // Grey lines between the cells, whatever colour the style would give them.
    setStyle(StyleWithHint(QStyle::SH_Table_GridLineColor, int(LineColor.rgba()), this));
    setHorizontalHeader(titles_);
    setVerticalHeader(indicators_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // The corner above the indicator column is a button of the view's own; it is painted
    // in the fixed area's colour here.
    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_)
        corner_->installEventFilter(this);
    // The scroll bars in the desktop's colours, every one of them, not in those of the
    // window around the grid.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        QPalette desktop = QApplication::palette(bar);
        desktop.setResolveMask(~QPalette::ResolveMask(0));
        bar->setPalette(desktop);
    }

    // Fixed row heights let the view place a million rows without asking for each.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setFixedWidth(IndicatorWidth);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(TitleHeight);
    // Money texts run to 16 characters; the last column takes whatever width is left.
    horizontalHeader()->setStretchLastSection(true);
    // The rows' header is set up before the model comes: set afterwards, every change of it
    // would go through each row. It keeps a section for every row the view sees, so the
    // view sees the rows in steps as it scrolls: a million rows open as a few hundred do.
    model->SetShownInSteps(true);
    setModel(model);

    for (int column = 0; column < 6; ++column)
        setColumnWidth(column, Widths[column]);
    SetTitleFont(titleFont_);
}

void SessionGrid::ShowTraffic(bool on) {
    if (on == sessions_->TrafficShown())
        return;
    sessions_->ShowTraffic(on ? SessionModel::BytesText([](quint64 bytes) {
        return MebibytesText(double(bytes) / double(TrafficTerms::Mebibyte));
    })
                              : SessionModel::BytesText());
    setColumnWidth(5, on ? SumsWidth : Widths[5]);
    if (on) {
        setColumnWidth(6, TrafficWidth);
        setColumnWidth(7, TrafficWidth);
    }
    // The selected row takes in the columns that came.
    if (const QModelIndex current = currentIndex(); current.isValid())
        selectionModel()->select(current,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SessionGrid::SetCellColor(const QColor& color) {
    cellColor_ = color;
    ApplyColors();
}

void SessionGrid::SetFixedColor(const QColor& color) {
    fixedColor_ = color;
    ApplyColors();
}

void SessionGrid::SetTitleFont(const FontChoice& font) {
    titleFont_ = font;
    horizontalHeader()->setFont(font.font);
    ApplyColors();
}

// The colours go into the palettes the view paints with, role by role, rather than into a
// style sheet: a style sheet has every cell and section painted through its rules.
void SessionGrid::ApplyColors() {
    QPalette cells = viewport()->palette();
    cells.setColor(QPalette::Base, cellColor_);
    viewport()->setPalette(cells);
    titles_->SetColors(fixedColor_, titleFont_.color);
    indicators_->SetColors(fixedColor_, FixedTextColor());
    if (corner_)
        corner_->update();
    viewport()->update();
    update(); // the frame takes its shade from the cells
}

void SessionGrid::initViewItemOption(QStyleOptionViewItem* option) const {
    QTableView::initViewItemOption(option);
    QPalette& palette = option->palette;
    palette.setColor(QPalette::Base, cellColor_);
    palette.setColor(QPalette::Window, cellColor_);
    palette.setColor(QPalette::Text, CellTextColor());
    palette.setColor(QPalette::WindowText, CellTextColor());
    palette.setColor(QPalette::Highlight, SelectionColor);
    palette.setColor(QPalette::HighlightedText, Qt::white);
}

// The frame around the grid in shades of the cells' colour.
void SessionGrid::initStyleOption(QStyleOptionFrame* option) const {
    QTableView::initStyleOption(option);
    QPalette& palette = option->palette;
    palette.setColor(QPalette::Window, cellColor_);
    palette.setColor(QPalette::Light, cellColor_.lighter(115));
    palette.setColor(QPalette::Midlight, cellColor_.lighter(107));
    palette.setColor(QPalette::Dark, cellColor_.darker(150));
    palette.setColor(QPalette::Shadow, cellColor_.darker(300));
}

bool SessionGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QPainter painter(corner_);
        painter.fillRect(corner_->rect(), fixedColor_);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// White on the cells and black on the fixed area, unless the colour the user chose for
// the background would hide it; the titles keep the colour the user chose for them.
QColor SessionGrid::CellTextColor() const {
    return Contrast::ReadableOn(cellColor_, Qt::white);
}

QColor SessionGrid::FixedTextColor() const {
    return Contrast::ReadableOn(fixedColor_, Qt::black);
}
