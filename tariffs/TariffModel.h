#pragma once
// The tariff table as an editable grid model: times as time texts, the price in the Russian
// money form (15,00 ₽) and edited as a plain number with two decimals (15,00), the days as
// "пн–пт" and edited as the digits of the days switched on ("12345"). A row
// inserted from the grid stands first and is stored once a value is entered in it; left
// empty, it is dropped.

#include "storage/TariffTable.h"

#include <QAbstractTableModel>
#include <vector>

class TariffModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TariffModel(QObject* parent = nullptr);
    // The table shown; none until the tariff table is open.
    void SetTable(TariffTable* table);
    TariffTable* Table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Checks and stores a typed value; on a bad one returns false and keeps LastError.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // A new empty row first, not stored until a value is entered.
    void InsertNewRow();
    bool HasNewRow() const { return newRow_; }
    void DropNewRow();
    // Deletes the period at the row. Throws Failure when the table refuses.
    void RemovePeriod(int row);

    const QString& LastError() const { return lastError_; }
    static QString MoneyText(double cost);
    static QString EditText(double cost);

private:
    void Reload();
    TariffPeriod* PeriodAt(int row);

    TariffTable* table_ = nullptr;
    std::vector<TariffRow> rows_;
    bool newRow_ = false; // row 0 is a row in the making
    bool storing_ = false;
    QString lastError_;
};
