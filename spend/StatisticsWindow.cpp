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
double Mebibytes(const std::optional<Traffic>& traffic) {
    return traffic ? double(traffic->rx + traffic->tx) / double(TrafficTerms::Mebibyte) : 0;
}

// Twelve billing periods from the oldest: each one's sum of `value` over its days, and its
// label (MM.yy).
std::pair<std::vector<double>, QStringList>
PerPeriod(const std::vector<DayTotal>& all, BillingPeriod oldest,
          const std::function<double(const DayTotal&)>& value) {
    std::vector<double> sums;
    QStringList labels;
    for (int i = 0; i < 12; ++i, oldest = oldest.Next()) {
        double sum = 0;
        for (const DayTotal& d : all)
            if (oldest.Contains(d.day))
                sum += value(d);
        sums.push_back(sum);
        labels << oldest.first.toString(QStringLiteral("MM.yy"));
    }
    return {sums, labels};
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
    if (f.total.trafficCounted)
        text += QStringLiteral("<table cellspacing=6><tr><td>Трафик</td><td>%1</td>"
                               "<td>Бюджет трафика</td><td>%2</td></tr></table>")
                    .arg(MebibytesText(f.Mebibytes()),
                         f.budgetMebibytes ? QStringLiteral("%1 (%2\u00a0%)")
                                                 .arg(MebibytesText(*f.budgetMebibytes))
                                                 .arg(int(std::floor(*f.trafficUsedPercent)))
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
      traffic_(new BarChart(QStringLiteral("Трафик по дням, МБ"), QColor(30, 130, 150), this)),
      trafficPeriods_(
          new BarChart(QStringLiteral("Трафик за 12 периодов, МБ"), QColor(150, 90, 40), this)),
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
    // The traffic's charts beside money's, so that five charts still fit a small screen.
    auto* charts = new QGridLayout;
    charts->addWidget(money_, 0, 0);
    charts->addWidget(time_, 1, 0);
    charts->addWidget(periods_, 2, 0);
    charts->addWidget(traffic_, 0, 1, 2, 1);
    charts->addWidget(trafficPeriods_, 2, 1);
    layout->addLayout(charts, 1);
    traffic_->hide();
    trafficPeriods_->hide();
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
    AddOpen(all);

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

    const auto [perPeriod, periodLabels] =
        PerPeriod(all, oldest, [](const DayTotal& d) { return d.money; });
    std::vector<BarChart::Level> periodLevels;
    if (f.budgetMoney)
        periodLevels.push_back({*f.budgetMoney, QColor(200, 40, 40),
                                QStringLiteral("бюджет %1").arg(RublesText(*f.budgetMoney))});
    periods_->SetBars(perPeriod, periodLabels, periodLevels, Rubles);
    FillTraffic(all, oldest, labels, f);
    totals_->setText(TotalsTable(f));
}

void StatisticsWindow::AddOpen(std::vector<DayTotal>& all) const {
    // Today's connection being timed belongs to today's bar.
    if (!period_.Contains(today_))
        return;
    const auto [seconds, money] = open_ ? open_() : std::pair<qint64, double>{};
    const std::optional<Traffic> bytes = openTraffic_ ? openTraffic_() : std::nullopt;
    if (seconds <= 0 && !bytes)
        return;
    auto it =
        std::find_if(all.begin(), all.end(), [this](const DayTotal& d) { return d.day == today_; });
    if (it == all.end())
        it = all.insert(all.end(), DayTotal{today_, 0, 0, 0, 0});
    if (seconds > 0) {
        it->seconds += seconds;
        it->money += money;
    }
    if (bytes) {
        if (!it->traffic)
            it->traffic = Traffic{};
        *it->traffic += *bytes;
    }
}

void StatisticsWindow::FillTraffic(const std::vector<DayTotal>& all, const BillingPeriod& oldest,
                                   const QStringList& labels, const SpendFigures& f) {
    const bool counted = std::any_of(all.begin(), all.end(),
                                     [](const DayTotal& d) { return d.traffic.has_value(); });
    traffic_->setVisible(counted);
    trafficPeriods_->setVisible(counted);
    if (counted && width() < WideWidth) // room for the second column, once
        resize(WideWidth, height());
    if (!counted)
        return;
    std::map<QDate, double> byDay;
    for (const DayTotal& d : all)
        byDay[d.day] = Mebibytes(d.traffic);
    std::vector<double> perDay;
    for (QDate day = period_.first; day <= period_.last; day = day.addDays(1))
        perDay.push_back(byDay.count(day) ? byDay[day] : 0);
    const int days = period_.Days();
    std::vector<BarChart::Level> dayLevels;
    if (f.budgetMebibytes)
        dayLevels.push_back(
            {*f.budgetMebibytes / days, QColor(200, 40, 40),
             QStringLiteral("бюджет в день %1").arg(MebibytesText(*f.budgetMebibytes / days))});
    traffic_->SetBars(perDay, labels, dayLevels, MebibytesText);

    const auto [perPeriod, periodLabels] =
        PerPeriod(all, oldest, [](const DayTotal& d) { return Mebibytes(d.traffic); });
    std::vector<BarChart::Level> periodLevels;
    if (budget_.mebibytes > 0)
        periodLevels.push_back({budget_.mebibytes, QColor(200, 40, 40),
                                QStringLiteral("бюджет %1").arg(MebibytesText(budget_.mebibytes))});
    trafficPeriods_->SetBars(perPeriod, periodLabels, periodLevels, MebibytesText);
}

QString StatisticsWindow::TotalsText() const {
    return totals_->text();
}
