#pragma once
// The tariff window: the tariff periods in an editable grid with a navigator (first, prior,
// next, last, delete), the price in force now with what is left of the traffic package,
// "Праздники...", "Тарификация...", "Добавить тариф" and "Отмена".

#include <QDateTime>
#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QTableView;
class Dialogs;
class Navigator;
class NewTariffDialog;
class TariffModel;
class TariffTable;
class TariffCellDelegate;

class TariffWindow final : public QDialog {
    Q_OBJECT
public:
    TariffWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TariffWindow() override;
    // The dialog that adds a period, created after this window in the program's order.
    void SetNewTariffDialog(NewTariffDialog* dialog) { newTariff_ = dialog; }

    // Shows the window modally over the table (none until the tariff table is open).
    int Open(TariffTable* table);
    void ShowNewTariffDialog(); // "Добавить тариф"
    void Cancel();              // "Отмена"
    void DeleteCurrent();       // the navigator's delete, after "Delete record?"
    void InsertRow();           // the grid's Insert key
    void ShowHolidays();        // "Праздники..."
    void ShowBilling();         // "Тарификация..."
    // The line "Сейчас действует: ..." read afresh.
    void RefreshInForce();
    // Where the window takes the present moment; the local clock unless a test sets it.
    void SetNow(std::function<QDateTime()> now) { now_ = std::move(now); }
    // Where the window takes the bytes received and sent so far in the billing period; none,
    // or none given, when they are not known: the line then says nothing of the package.
    void SetPeriodTraffic(std::function<std::optional<quint64>()> used) {
        periodTraffic_ = std::move(used);
    }
    QLabel* InForceLine() const { return inForce_; }

    QTableView* Grid() const { return grid_; }
    TariffModel* Model() const { return model_; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetUpGrid(QWidget* panel);
    void MoveToRow(int row);
    void OnRefused(const QModelIndex& index, const QString& text, const QString& message);
    bool CommitOpenEditor();
    void FitInForce();

    Dialogs& dialogs_;
    TariffModel* model_;
    QTableView* grid_;
    Navigator* navigator_;
    TariffCellDelegate* delegate_;
    NewTariffDialog* newTariff_ = nullptr;
    QLabel* inForce_;
    std::function<QDateTime()> now_ = [] {
        return QDateTime::currentDateTime();
    };
    std::function<std::optional<quint64>()> periodTraffic_;
};
