#include "StatisticsWindow.h"

#include <QLocale>

#include "BarChart.h"
#include "SpendFigures.h"
#include "storage/Failure.h"
#include "storage/TextForms.h"
#include "ui/Contrast.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <map>

namespace {
QString Hours(double h) {
    return QLocale(QLocale::Russian).toString(h, 'f', h < 10 ? 1 : 0) + QStringLiteral("\u00a0ч");
}
QString Rubles(double r) {
    return RublesText(r, 0);
}

// The figures under the charts: records, money and time, budgets and forecasts.
QString TotalsTable(const SpendFigures& f) {
    QString text = QStringLiteral("<table cellspacing=6><tr><td>Записей</td><td>%1</td>"
                                  "<td>Сумма</td><td>%2</td><td>Время</td><td>%3</td></tr>")
                       .arg(f.total.records)
                       .arg(RublesText(double(f.total.money)), TimeText(f.total.seconds));
    text += QStringLiteral("<tr><td>Бюджет</td><td>%1</td><td>Прогноз</td><td>%2</td>"
                           "<td>Прогноз времени</td><td>%3</td></tr>"
                           "<tr><td>Бюджет времени</td><td>%4</td></tr></table>")
                .arg(f.budgetMoney ? QStringLiteral("%1 (%2\u00a0%)")
                                         .arg(RublesText(*f.budgetMoney))
                                         .arg(int(std::floor(*f.moneyUsedPercent)))
                                   : QStringLiteral("нет"))
                .arg(RublesText(f.forecastMoney), TimeText(f.forecastSeconds),
                     f.budgetHours ? QStringLiteral("%1 (%2\u00a0%)")
                                         .arg(Hours(*f.budgetHours))
                                         .arg(int(std::floor(*f.timeUsedPercent)))
                                   : QStringLiteral("нет"));
    return text;
}
} // namespace

StatisticsWindow::StatisticsWindow(DaySource days, OpenSource open, QWidget* parent)
    : QDialog(parent), days_(std::move(days)), open_(std::move(open)),
      money_(
          new BarChart(QStringLiteral("Сумма по дням, ₽"), QColor(40, 90, 170), this)),
      time_(new BarChart(QStringLiteral("Время по дням, ч"), QColor(40, 150, 90), this)),
      periods_(new BarChart(QStringLiteral("Сумма за 12 периодов, ₽"),
                            QColor(120, 80, 160), this)),
      caption_(new QLabel(this)), totals_(new QLabel(this)),
      earlier_(new QPushButton(QStringLiteral("< &Раньше"), this)),
      later_(new QPushButton(QStringLiteral("П&озже >"), this)) {
    setWindowTitle(QStringLiteral("Статистика"));
    setObjectName(QStringLiteral("StatisticsWindow"));
    auto* steps = new QHBoxLayout;
    steps->addWidget(earlier_);
    steps->addWidget(caption_, 1, Qt::AlignCenter);
    steps->addWidget(later_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(steps);
    layout->addWidget(money_, 1);
    layout->addWidget(time_, 1);
    layout->addWidget(periods_, 1);
    totals_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(totals_);
    connect(earlier_, &QPushButton::clicked, this, &StatisticsWindow::StepBack);
    connect(later_, &QPushButton::clicked, this, &StatisticsWindow::StepForward);
    Contrast::FixColours(this, Contrast::FormColour, Qt::black);
    resize(640, 620);
}

void StatisticsWindow::ShowPeriod(const Budget& budget, const QDate& today) {
    budget_ = budget;
    today_ = today;
    period_ = BillingPeriod::Containing(today, budget.startDay);
    Fill();
}

void StatisticsWindow::StepBack() {
    period_ = period_.Previous();
    Fill();
}

void StatisticsWindow::StepForward() {
    if (period_.Contains(today_))
        return;
    period_ = period_.Next();
    Fill();
}

void StatisticsWindow::Fill() {
    later_->setEnabled(!period_.Contains(today_));
    caption_->setText(DatesText(period_.first, period_.last));
    BillingPeriod oldest = period_;
    for (int i = 0; i < 11; ++i)
        oldest = oldest.Previous();
    std::vector<DayTotal> all;
    try {
        all = days_(oldest.first, period_.last);
    } catch (const Failure& failure) {
        totals_->setText(failure.message());
        return;
    }
    // Today's connection being timed belongs to today's bar.
    if (open_ && period_.Contains(today_)) {
        const auto [seconds, money] = open_();
        if (seconds > 0) {
            auto it = std::find_if(all.begin(), all.end(),
                                   [this](const DayTotal& d) { return d.day == today_; });
            if (it == all.end())
                it = all.insert(all.end(), DayTotal{today_, 0, 0, 0, 0});
            it->seconds += seconds;
            it->money += money;
        }
    }

    std::map<QDate, const DayTotal*> byDay;
    for (const DayTotal& d : all)
        byDay[d.day] = &d;
    std::vector<double> money, hours;
    QStringList labels;
    std::vector<DayTotal> inPeriod;
    for (QDate day = period_.first; day <= period_.last; day = day.addDays(1)) {
        const auto it = byDay.find(day);
        money.push_back(it == byDay.end() ? 0 : it->second->money);
        hours.push_back(it == byDay.end() ? 0 : it->second->seconds / 3600.0);
        if (it != byDay.end())
            inPeriod.push_back(*it->second);
        labels << (day == period_.first || day.day() % 5 == 0 ? QString::number(day.day())
                                                              : QString());
    }
    const SpendFigures f = SpendFigures::Of(SpendTotal::Of(inPeriod), period_, budget_, today_);
    const int days = period_.Days();
    std::vector<BarChart::Level> moneyLevels;
    if (f.budgetMoney)
        moneyLevels.push_back(
            {*f.budgetMoney / days, QColor(200, 40, 40),
             QStringLiteral("бюджет в день %1").arg(RublesText(*f.budgetMoney / days))});
    moneyLevels.push_back(
        {f.forecastMoney / days, QColor(230, 140, 0),
         QStringLiteral("прогноз в день %1").arg(RublesText(f.forecastMoney / days)), true});
    money_->SetBars(money, labels, moneyLevels, Rubles);
    std::vector<BarChart::Level> timeLevels;
    if (f.budgetHours)
        timeLevels.push_back(
            {*f.budgetHours / days, QColor(200, 40, 40),
             QStringLiteral("бюджет в день %1").arg(Hours(*f.budgetHours / days))});
    time_->SetBars(hours, labels, timeLevels, Hours);

    std::vector<double> perPeriod;
    QStringList periodLabels;
    BillingPeriod p = oldest;
    for (int i = 0; i < 12; ++i, p = p.Next()) {
        double sum = 0;
        for (const DayTotal& d : all)
            if (p.Contains(d.day))
                sum += d.money;
        perPeriod.push_back(sum);
        periodLabels << p.first.toString(QStringLiteral("MM.yy"));
    }
    std::vector<BarChart::Level> periodLevels;
    if (f.budgetMoney)
        periodLevels.push_back({*f.budgetMoney, QColor(200, 40, 40),
                                QStringLiteral("бюджет %1").arg(RublesText(*f.budgetMoney))});
    periods_->SetBars(perPeriod, periodLabels, periodLevels, Rubles);

    totals_->setText(TotalsTable(f));
}

QString StatisticsWindow::TotalsText() const {
    return totals_->text();
}
