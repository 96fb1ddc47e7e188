#include "HolidaysDialog.h"

#include "storage/Failure.h"
#include "storage/TextForms.h"
#include "ui/Centred.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList DayNames = {QStringLiteral("понедельник"), QStringLiteral("вторник"),
                              QStringLiteral("среда"),       QStringLiteral("четверг"),
                              QStringLiteral("пятница"),     QStringLiteral("суббота"),
                              QStringLiteral("воскресенье")};
}

HolidaysDialog::HolidaysDialog(Dialogs& dialogs, TariffTable& table, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), table_(table), list_(new QTableWidget(0, 2, this)),
      date_(new QDateEdit(this)), day_(new QComboBox(this)) {
    setObjectName(QStringLiteral("HolidaysDialog"));
    setWindowTitle(QStringLiteral("Праздники"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    list_->setObjectName(QStringLiteral("Holidays"));
    list_->setHorizontalHeaderLabels({QStringLiteral("Дата"), QStringLiteral("считать как")});
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->hide();
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The date column as wide as its text in any font, so no date is ever cut.
    list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    date_->setObjectName(QStringLiteral("HolidayDate"));
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_->setCalendarPopup(true);
    date_->setDate(QDate::currentDate());
    day_->setObjectName(QStringLiteral("HolidayAsDay"));
    day_->addItems(DayNames);
    day_->setCurrentIndex(6); // Sunday, as a public holiday is priced

    auto* add = new QPushButton(QStringLiteral("&Добавить"), this);
    add->setObjectName(QStringLiteral("Add"));
    add->setDefault(true); // Enter in the date or the day adds it
    auto* remove = new QPushButton(QStringLiteral("&Удалить"), this);
    remove->setObjectName(QStringLiteral("Remove"));
    remove->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("&Закрыть"), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setAutoDefault(false);

    auto* entry = new QHBoxLayout;
    auto* dateLabel = new QLabel(QStringLiteral("Д&ата:"), this);
    dateLabel->setBuddy(date_);
    entry->addWidget(dateLabel);
    entry->addWidget(date_);
    auto* asDayLabel = new QLabel(QStringLiteral("&считать как"), this);
    asDayLabel->setBuddy(day_);
    entry->addWidget(asDayLabel);
    entry->addWidget(day_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    date_->setAccessibleName(QStringLiteral("Дата праздника"));
    day_->setAccessibleName(QStringLiteral("Считать как"));
    list_->setAccessibleName(QStringLiteral("Праздники"));
    date_->setAccessibleDescription(QStringLiteral("Дата, которая тарифицируется как другой день"));
    day_->setAccessibleDescription(QStringLiteral("День недели, по тарифу которого считать дату"));
    list_->setAccessibleDescription(QStringLiteral("Даты и дни недели, как которые они считаются"));
    Contrast::FixColours(this, Contrast::FormColour, Qt::black);
    resize(330, 300);

    connect(add, &QPushButton::clicked, this, &HolidaysDialog::AddHoliday);
    connect(remove, &QPushButton::clicked, this, &HolidaysDialog::RemoveCurrent);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0 && row < int(holidays_.size())) {
            date_->setDate(holidays_[std::size_t(row)].date);
            day_->setCurrentIndex(holidays_[std::size_t(row)].asDay - 1);
        }
    });
    Reload();
    CentreOnScreen(this);
}

void HolidaysDialog::Reload() {
    try {
        holidays_ = table_.ReadHolidays();
    } catch (const Failure& failure) {
        holidays_.clear();
        dialogs_.Error(this, failure.message());
    }
    const QSignalBlocker quiet(list_);
    list_->setRowCount(int(holidays_.size()));
    for (int i = 0; i < int(holidays_.size()); ++i) {
        const Holiday& h = holidays_[std::size_t(i)];
        list_->setItem(i, 0, new QTableWidgetItem(TextForms::DateText(h.date)));
        list_->setItem(i, 1, new QTableWidgetItem(DayNames.value(h.asDay - 1)));
    }
}

void HolidaysDialog::AddHoliday() {
    const Holiday holiday{date_->date(), day_->currentIndex() + 1};
    try {
        table_.SetHoliday(holiday);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    Reload();
    for (int i = 0; i < int(holidays_.size()); ++i)
        if (holidays_[std::size_t(i)].date == holiday.date)
            list_->setCurrentCell(i, 0);
}

void HolidaysDialog::RemoveCurrent() {
    const int row = list_->currentRow();
    if (row < 0 || row >= int(holidays_.size()) || !dialogs_.ConfirmDelete(this))
        return;
    try {
        table_.RemoveHoliday(holidays_[std::size_t(row)].date);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
        return;
    }
    Reload();
    if (!holidays_.empty())
        list_->setCurrentCell(std::min(row, int(holidays_.size()) - 1), 0);
}
