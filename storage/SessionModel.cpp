#include "SessionModel.h"

#include "Failure.h"

#include <algorithm>

namespace {
const QStringList Titles = {QStringLiteral("Дата входа"),   QStringLiteral("Время входа"),
                            QStringLiteral("Время выхода"), QStringLiteral("Продолжительность"),
                            QStringLiteral("Тариф"),        QStringLiteral("Сумма"),
                            QStringLiteral("Принято"),      QStringLiteral("Передано")};
const QString Indicator = QStringLiteral("\u25BA"); // the record indicator

constexpr int RecordColumns = 6; // the columns before the traffic's
// The traffic's amounts and titles.
const QVariant AmountAlignment(int(Qt::AlignRight | Qt::AlignVCenter));
} // namespace

SessionModel::SessionModel(SessionTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    connect(&table_, &SessionTable::Inserted, this, &SessionModel::OnInserted);
    connect(&table_, &SessionTable::Removed, this, &SessionModel::OnRemoved);
    connect(&table_, &SessionTable::ViewChanged, this, &SessionModel::OnViewChanged);
}

int SessionModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    const int total = TotalRows();
    return shown_ < 0 ? total : std::min(total, shown_);
}

int SessionModel::TotalRows() const {
    if (count_ < 0) {
        try {
            count_ = int(std::min<qint64>(table_.RowCount(), INT_MAX));
        } catch (const Failure& failure) {
            count_ = 0;
            emit ReadFailed(failure.message());
        }
    }
    return count_;
}

int SessionModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return bytesText_ ? int(Titles.size()) : RecordColumns;
}

const SessionRow* SessionModel::RowAt(int row) const {
    const int page = row / PageRows;
    auto found = pages_.find(page);
    if (found == pages_.end()) {
        try {
            found = pages_.emplace(page, table_.ReadRows(qint64(page) * PageRows, PageRows)).first;
            failed_ = false;
        } catch (const Failure& failure) {
            if (!failed_)
                emit ReadFailed(failure.message());
            failed_ = true;
            return nullptr;
        }
        recent_.push_front(page);
        if (int(recent_.size()) > KeptPages) {
            pages_.erase(recent_.back());
            recent_.pop_back();
        }
    } else if (recent_.front() != page) {
        recent_.remove(page);
        recent_.push_front(page);
    }
    const auto& rows = found->second;
    const std::size_t at = std::size_t(row % PageRows);
    return at < rows.size() ? &rows[at] : nullptr;
}

QVariant SessionModel::data(const QModelIndex& index, int role) const {
    const int column = index.column();
    if (role == Qt::TextAlignmentRole && index.isValid() && column >= RecordColumns)
        return AmountAlignment;
    const bool text = role == Qt::DisplayRole || (role == Qt::ToolTipRole && column == 5);
    if (!index.isValid() || !text || index.row() >= rowCount() || column >= columnCount())
        return {};
    const SessionRow* row = RowAt(index.row());
    if (!row)
        return {};
    if (column < RecordColumns)
        return row->record.FieldText(column);
    const std::optional<Traffic>& traffic = row->record.traffic;
    if (!traffic) // not counted: nothing, rather than a 0 that was never measured
        return QString();
    return bytesText_(column == RecordColumns ? traffic->rx : traffic->tx);
}

QVariant SessionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal && section >= RecordColumns)
        return AmountAlignment; // over their amounts
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? QVariant(Titles[section]) : QVariant();
    return section == currentRow_ ? QVariant(Indicator) : QVariant(QString());
}

Qt::ItemFlags SessionModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool SessionModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && rowCount() < TotalRows();
}

void SessionModel::fetchMore(const QModelIndex& parent) {
    // A view that asks for more while hearing of a change asks again when it needs them.
    if (!parent.isValid() && shown_ >= 0 && !changing_)
        ShowUpTo(rowCount() + StepRows);
}

void SessionModel::SetShownInSteps(bool inSteps) {
    if (inSteps == (shown_ >= 0))
        return;
    changing_ = true;
    beginResetModel();
    shown_ = inSteps ? StepRows : -1;
    currentRow_ = -1;
    endResetModel();
    changing_ = false;
}

void SessionModel::ShowThrough(int row) {
    if (shown_ >= 0)
        ShowUpTo(row + 1);
}

void SessionModel::ShowUpTo(int rows) {
    const int shown = rowCount();
    rows = std::min(rows, TotalRows());
    if (rows <= shown)
        return;
    changing_ = true;
    beginInsertRows({}, shown, rows - 1);
    shown_ = rows;
    endInsertRows();
    changing_ = false;
}

void SessionModel::ShowTraffic(BytesText text) {
    if (bool(text) == TrafficShown()) {
        bytesText_ = std::move(text);
        return;
    }
    const int last = int(Titles.size()) - 1;
    if (text) {
        beginInsertColumns({}, RecordColumns, last);
        bytesText_ = std::move(text);
        endInsertColumns();
    } else {
        beginRemoveColumns({}, RecordColumns, last);
        bytesText_ = nullptr;
        endRemoveColumns();
    }
}

void SessionModel::SetCurrentRow(int row) {
    if (row == currentRow_)
        return;
    const int old = currentRow_;
    currentRow_ = row;
    if (old >= 0 && old < rowCount())
        emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < rowCount())
        emit headerDataChanged(Qt::Vertical, row, row);
}

qint64 SessionModel::IdAt(int row) const {
    if (row < 0 || row >= rowCount())
        return -1;
    const SessionRow* r = RowAt(row);
    return r ? r->id : -1;
}

int SessionModel::RowOf(qint64 id) const {
    try {
        return int(table_.OffsetOf(id));
    } catch (const Failure& failure) {
        emit ReadFailed(failure.message());
        return -1;
    }
}

void SessionModel::Forget() {
    pages_.clear();
    recent_.clear();
}

void SessionModel::OnInserted(qint64 id) {
    if (RowOf(id) != 0)
        return; // the filter keeps it out of view
    const int count = TotalRows();
    changing_ = true;
    beginInsertRows({}, 0, 0);
    Forget();
    count_ = count + 1;
    if (shown_ >= 0) // the rows seen so far stay seen, one further down
        shown_ = std::min(shown_, count) + 1;
    if (currentRow_ >= 0)
        ++currentRow_;
    endInsertRows();
    changing_ = false;
}

void SessionModel::OnRemoved(qint64 offset) {
    const int count = TotalRows();
    if (offset < 0 || offset >= count)
        return OnViewChanged();
    const int shown = rowCount();
    if (offset >= shown) { // below what the view sees: it sees no change
        Forget();
        count_ = count - 1;
        return;
    }
    changing_ = true;
    beginRemoveRows({}, int(offset), int(offset));
    Forget();
    count_ = count - 1;
    if (shown_ >= 0)
        shown_ = shown - 1;
    if (currentRow_ > offset)
        --currentRow_;
    else if (currentRow_ == offset)
        currentRow_ = -1;
    endRemoveRows();
    changing_ = false;
}

void SessionModel::OnViewChanged() {
    changing_ = true;
    beginResetModel();
    Forget();
    count_ = -1;
    currentRow_ = -1;
    if (shown_ >= 0)
        shown_ = StepRows;
    endResetModel();
    changing_ = false;
}
