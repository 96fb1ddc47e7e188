#include "SessionGrid.h"

#include "ui/Contrast.h"
#include "ui/UiFonts.h"
#include "storage/SessionModel.h"

#include <QHeaderView>

const QColor SessionGrid::DefaultCellColor(0, 0, 128);
const QColor SessionGrid::DefaultFixedColor(0, 255, 255);

FontChoice SessionGrid::DefaultTitleFont() {
    return {UiFonts::Font(UiFonts::TitleFamilies(), 13), QColor(128, 0, 128)};
}

SessionGrid::SessionGrid(SessionModel* model, QWidget* parent)
    : QTableView(parent), sessions_(model) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    setWordWrap(false);
    setCornerButtonEnabled(false);

    // Fixed row heights let the view place a million rows without asking for each.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(17);
    verticalHeader()->setMinimumSectionSize(17);
    verticalHeader()->setFixedWidth(14);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(19);
    // Money texts run to 16 characters; the last column takes whatever width is left.
    horizontalHeader()->setStretchLastSection(true);
    // The rows' header is set up before the model comes: set afterwards, every change of it
    // would go through each row. It keeps a section for every row the view sees, so the
    // view sees the rows in steps as it scrolls: a million rows open as a few hundred do.
    model->SetShownInSteps(true);
    setModel(model);

    const int widths[] = {82, 93, 101, 138, 82, 85};
    for (int column = 0; column < 6; ++column) // the last one stretches beyond its width
        setColumnWidth(column, widths[column]);
    SetTitleFont(titleFont_);
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

void SessionGrid::ApplyColors() {
    setStyleSheet(QStringLiteral(
                      "QTableView { background-color: %1; color: %4; gridline-color: #808080;"
                      " selection-background-color: #316ac5; selection-color: white; }"
                      "QHeaderView { background-color: %2; }"
                      "QHeaderView::section { background-color: %2; color: %5;"
                      " border: 0px; border-right: 1px solid #808080;"
                      " border-bottom: 1px solid #808080; padding-left: 2px; }"
                      "QHeaderView::section:horizontal { color: %3; }"
                      "QTableCornerButton::section { background-color: %2; border: 0px; }")
                      .arg(cellColor_.name(), fixedColor_.name(), titleFont_.color.name(),
                           CellTextColor().name(), FixedTextColor().name()));
    viewport()->update();
}

// White on the cells and black on the fixed area, unless the colour the user chose for
// the background would hide it; the titles keep the colour the user chose for them.
QColor SessionGrid::CellTextColor() const { return Contrast::ReadableOn(cellColor_, Qt::white); }

QColor SessionGrid::FixedTextColor() const { return Contrast::ReadableOn(fixedColor_, Qt::black); }
