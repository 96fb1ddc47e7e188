#pragma once
// The main window's read-only grid over the session table: navy cells with white text, an
// aqua title row and indicator column, purple titles, six columns of fixed widths, and the
// records' traffic in two more when the user asks for it.

#include "ui/Dialogs.h"

#include <QTableView>

class SessionModel;
class FlatHeader;

class SessionGrid final : public QTableView {
    Q_OBJECT
public:
    static const QColor DefaultCellColor;  // navy
    static const QColor DefaultFixedColor; // aqua
    static const QColor LineColor;         // the grid and the sections' borders
    static const QColor SelectionColor;    // the selected row, under white text
    static FontChoice DefaultTitleFont();  // purple serif, 13 px

    SessionGrid(SessionModel* model, QWidget* parent = nullptr);

    void SetCellColor(const QColor& color);
    QColor CellColor() const { return cellColor_; }
    void SetFixedColor(const QColor& color);
    QColor FixedColor() const { return fixedColor_; }
    void SetTitleFont(const FontChoice& font);
    FontChoice TitleFont() const { return titleFont_; }
    QColor CellTextColor() const;  // the records' text
    QColor FixedTextColor() const; // the indicator column's text

    SessionModel* Sessions() const { return sessions_; }
    // "Принято" and "Передано" in mebibytes after the six columns, or not.
    void ShowTraffic(bool on);

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override;
    void initStyleOption(QStyleOptionFrame* option) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyColors();

    SessionModel* sessions_;
    FlatHeader* titles_;
    FlatHeader* indicators_;
    QWidget* corner_ = nullptr;
    QColor cellColor_ = DefaultCellColor;
    QColor fixedColor_ = DefaultFixedColor;
    FontChoice titleFont_ = DefaultTitleFont();
};
