#pragma once
// The main window's records: the read-only grid over data.db with the navigator and the
// delete button on the toolbar above it, the grid's row kept as the table's current row,
// the colour and font chosen for the grid, and whether it shows the records' traffic.

#include "ui/Dialogs.h"

#include <QColor>
#include <QObject>

class QMainWindow;
class QPushButton;
class Navigator;
class SessionGrid;
class SessionModel;
class SessionTable;

class RecordsPane final : public QObject {
    Q_OBJECT
public:
    // Puts the toolbar and the grid into `window` over `table`.
    RecordsPane(QMainWindow& window, SessionTable& table, Dialogs& dialogs);
    ~RecordsPane() override;

    SessionGrid* Grid() const { return grid_; }
    // Deletes the table's current record; the grid then shows the row the table moved to.
    // Throws Failure.
    void DeleteCurrent();

    void ChooseFormColour(); // "Цвет формы": the cells
    void ChooseGridColour(); // "Цвет таблицы": the fixed row and column
    void ChooseFont();       // "Цвет шрифта": the titles' font and colour

    // "Трафик в таблице": the traffic columns, as kelvora.ini beside data.db keeps them. A
    // change that cannot be kept there is not made, and the error box says why.
    bool TrafficColumns() const;
    void SetTrafficColumns(bool on);

signals:
    void DeleteAsked(); // the "-" button
    void ReadFailed(const QString& message);
    // The traffic columns were turned on or off: the traffic is to be counted while they show.
    void TrafficColumnsChanged(bool on);

private:
    void BuildToolBar(QMainWindow& window);
    void MoveToRow(int row);
    void OnCurrentRowChanged(int row);
    void FollowTableCursor();
    void ReadTrafficSetting();
    void ShowTraffic(bool on);

    QWidget& window_;
    SessionTable& table_;
    Dialogs& dialogs_;
    SessionModel* model_ = nullptr;
    SessionGrid* grid_ = nullptr;
    Navigator* navigator_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QColor lastColor_ = Qt::black; // shared by both colour commands
    FontChoice lastFont_;
};
