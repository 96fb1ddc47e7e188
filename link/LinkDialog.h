#pragma once
// "Подключение": which link the program times. Lists every interface of the machine with its
// kind, addresses, carrier and metered flag, offers the three modes and, for the chosen mode,
// names and patterns; a live line tells what the next poll would decide with the choice as
// it stands in the dialog. The list follows the machine while the dialog is open.

#include "CountedLink.h"
#include "accounting/QtTimer.h"

#include <QDialog>
#include <memory>

class Dialogs;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QTableWidget;

class LinkDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int RefreshMsecs = 2000;

    LinkDialog(CountedLink& link, Dialogs& dialogs, QWidget* parent = nullptr,
               TimerMaker& timers = QtTimers());
    ~LinkDialog() override;

    // The choice as it stands in the dialog.
    LinkChoice Pending() const;
    QString LiveText() const;
    QTableWidget* Table() const { return table_; }
    QLineEdit* Patterns() const { return patterns_; }
    void SetMode(LinkMode mode);

    void Refresh(); // reads the interfaces again
    void Accept();  // "Ок": writes kelvora.ini; stays open and says why when it cannot

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FillTable(const QList<NetInterface>& interfaces);
    void SetUpTable();
    void OnBoxChanged(int row);
    void Decide(); // the live line and the "Считается" column

    CountedLink& link_;
    Dialogs& dialogs_;
    QButtonGroup* modes_;
    QLineEdit* patterns_;
    QLabel* note_;
    QTableWidget* table_;
    QLabel* live_;
    std::unique_ptr<HoldableTimer> refresh_; // while shown
    QList<NetInterface> shown_;
    bool filling_ = false;
};
