#pragma once
// The session table as a read-only table model for the main window's grid. Rows are read
// a page at a time as the view asks for them, and only a few pages are kept, so a table of
// millions of rows opens at once and scrolls in bounded memory. Shown in steps, a view
// sees the first rows only and more as it scrolls to their end: a table view keeps a row
// header section for every row it sees, a million of them for a million rows.

#include "SessionTable.h"

#include <QAbstractTableModel>
#include <functional>
#include <list>
#include <map>

class SessionModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageRows = 128;
    static constexpr int KeptPages = 8;
    static constexpr int StepRows = 256;

    explicit SessionModel(SessionTable& table, QObject* parent = nullptr);

    // The rows a view sees: all of them, or those shown so far when shown in steps.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Off at first: every row is seen at once.
    void SetShownInSteps(bool inSteps);
    // Every row in view, seen by the view or not yet.
    int TotalRows() const;
    // Shows every row up to `row` (within the total).
    void ShowThrough(int row);

    // How the traffic columns write a number of bytes ("12,3 МБ").
    using BytesText = std::function<QString(quint64)>;
    // Adds "Принято" and "Передано" after the six columns, or takes them away (an empty
    // `text`). A record stored while the traffic was not counted shows them empty.
    void ShowTraffic(BytesText text);
    bool TrafficShown() const { return bool(bytesText_); }

    // The row the record indicator marks; -1 for none.
    void SetCurrentRow(int row);
    int CurrentRow() const { return currentRow_; }
    // The stored id of a row in view, or -1.
    qint64 IdAt(int row) const;
    int RowOf(qint64 id) const;
    int CachedPages() const { return int(pages_.size()); }

signals:
    // Reading the table failed; told once until a read succeeds again.
    void ReadFailed(const QString& message) const;

private:
    const SessionRow* RowAt(int row) const;
    void Forget();
    void OnInserted(qint64 id);
    void OnRemoved(qint64 offset);
    void OnViewChanged();

    void ShowUpTo(int rows);

    SessionTable& table_;
    BytesText bytesText_; // none: the traffic columns are not shown
    int currentRow_ = -1;
    int shown_ = -1;        // the rows a view sees when shown in steps; -1: all of them
    bool changing_ = false; // rows going in or out
    mutable int count_ = -1;
    mutable std::map<int, std::vector<SessionRow>> pages_;
    mutable std::list<int> recent_; // page numbers, most recently used first
    mutable bool failed_ = false;
};
