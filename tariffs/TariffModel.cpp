#include "TariffModel.h"

#include "storage/DateTimeValue.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"
#include "storage/Weekdays.h"

#include <QLocale>

namespace {
const QStringList Titles = {QStringLiteral("Время начала действия"),
                            QStringLiteral("Время окончания действия"),
                            QStringLiteral("Стоимость(руб/час)"), QStringLiteral("Дни")};
const QLocale Russian(QLocale::Russian, QLocale::Russia);
} // namespace

TariffModel::TariffModel(QObject* parent) : QAbstractTableModel(parent) {}

void TariffModel::SetTable(TariffTable* table) {
    if (table_)
        disconnect(table_, nullptr, this, nullptr);
    table_ = table;
    if (table_)
        connect(table_, &TariffTable::Changed, this, [this] {
            if (!storing_)
                Reload();
        });
    Reload();
}

void TariffModel::Reload() {
    beginResetModel();
    newRow_ = false;
    rows_.clear();
    if (table_) {
        try {
            rows_ = table_->ReadAll();
        } catch (const Failure& failure) {
            lastError_ = failure.message();
        }
    }
    endResetModel();
}

int TariffModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size()) + (newRow_ ? 1 : 0);
}

int TariffModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(Titles.size());
}

TariffPeriod* TariffModel::PeriodAt(int row) {
    const int at = row - (newRow_ ? 1 : 0);
    return at >= 0 && at < int(rows_.size()) ? &rows_[std::size_t(at)].period : nullptr;
}

QString TariffModel::MoneyText(double cost) {
    return Russian.toCurrencyString(cost, {}, 2);
}

QString TariffModel::EditText(double cost) {
    return QString::number(cost, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

QVariant TariffModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const TariffPeriod* p = const_cast<TariffModel*>(this)->PeriodAt(index.row());
    if (!p)
        return QString();
    switch (index.column()) {
    case 0:
    case 1: {
        const std::optional<int>& time = index.column() == 0 ? p->wrN : p->wrK;
        return time ? TextForms::TimeText(DateTimeValue::FromMsecs(*time)) : QString();
    }
    case 2:
        if (!p->cost)
            return QString();
        return role == Qt::EditRole ? EditText(*p->cost) : MoneyText(*p->cost);
    case 3:
        // Edited as the digits of the days switched on: every day is all seven.
        if (role == Qt::EditRole)
            return p->days.isEmpty() ? QStringLiteral("1234567") : p->days;
        return Weekdays::ShortText(p->days);
    }
    return {};
}

QVariant TariffModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < Titles.size() ? QVariant(Titles[section]) : QVariant();
    return QString();
}

Qt::ItemFlags TariffModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable |
           (table_ ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool TariffModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !table_)
        return false;
    const QString text = value.toString();
    const QString trimmed = text.trimmed();
    const bool isNew = newRow_ && index.row() == 0;
    TariffPeriod period = isNew ? TariffPeriod{} : *PeriodAt(index.row());
    // An emptied cell stores an empty value.
    if (index.column() < 2) {
        std::optional<int> time;
        if (!trimmed.isEmpty()) {
            time = TextForms::TryParseTime(trimmed);
            if (!time) {
                lastError_ = QStringLiteral("'%1' is not a valid time").arg(text);
                return false;
            }
        }
        (index.column() == 0 ? period.wrN : period.wrK) = time;
    } else if (index.column() == 3) {
        const auto days = Weekdays::Normal(trimmed);
        if (trimmed.isEmpty() || !days) {
            lastError_ =
                trimmed.isEmpty()
                    ? QStringLiteral("Отметьте хотя бы один день недели.")
                    : QStringLiteral("'%1' is not a valid value for field 'Days'").arg(text);
            return false;
        }
        period.days = *days;
    } else {
        std::optional<double> cost;
        if (!trimmed.isEmpty()) {
            const auto number = TextForms::TryParseNumber(trimmed);
            if (!number) {
                lastError_ = QStringLiteral("'%1' is not a valid floating point value for "
                                            "field 'Cost'")
                                 .arg(text);
                return false;
            }
            cost = double(*number);
        }
        period.cost = cost;
    }
    storing_ = true;
    try {
        if (isNew) {
            if (period == TariffPeriod{}) { // nothing entered yet
                storing_ = false;
                return true;
            }
            const qint64 id = table_->Add(period);
            newRow_ = false;
            rows_.insert(rows_.begin(), TariffRow{id, period});
        } else {
            TariffRow& row = rows_[std::size_t(index.row() - (newRow_ ? 1 : 0))];
            table_->Update(row.id, period);
            row.period = period;
        }
    } catch (const Failure& failure) {
        storing_ = false;
        lastError_ = failure.message();
        return false;
    }
    storing_ = false;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

void TariffModel::InsertNewRow() {
    if (newRow_ || !table_)
        return;
    beginInsertRows({}, 0, 0);
    newRow_ = true;
    endInsertRows();
}

void TariffModel::DropNewRow() {
    if (!newRow_)
        return;
    beginRemoveRows({}, 0, 0);
    newRow_ = false;
    endRemoveRows();
}

void TariffModel::RemovePeriod(int row) {
    if (newRow_ && row == 0)
        return DropNewRow();
    const int at = row - (newRow_ ? 1 : 0);
    if (!table_ || at < 0 || at >= int(rows_.size()))
        throw Failure(QStringLiteral("Cannot perform this operation on an empty dataset"));
    storing_ = true;
    try {
        table_->Remove(rows_[std::size_t(at)].id);
    } catch (...) {
        storing_ = false;
        throw;
    }
    storing_ = false;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + at);
    endRemoveRows();
}
