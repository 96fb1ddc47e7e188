#include "InForceText.h"

#include "accounting/TariffBook.h"
#include "spend/SpendFigures.h"
#include "storage/TextForms.h"
#include "storage/Weekdays.h"

#include <QLocale>

QString ShortTime(int msecs) {
    const int seconds = msecs / 1000;
    QString text =
        QStringLiteral("%1:%2").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
    if (seconds % 60)
        text += QStringLiteral(":%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return text;
}

QString InForceText(const std::vector<TariffRow>& rows, const std::vector<Holiday>& holidays,
                    const QDate& date, int msecs) {
    const TariffRow* row = TariffBook::RowInForce(rows, holidays, date, msecs);
    QString holiday;
    const int day = TariffBook::DayOf(date, holidays);
    if (date.isValid() && day != date.dayOfWeek())
        holiday = QStringLiteral("; сегодня считается как %1")
                      .arg(Weekdays::ShortText(QString::number(day)));
    if (!row)
        return QStringLiteral(
                   "Сейчас действует: 0 ₽/ч (нет тарифа на это "
                   "время%1)")
            .arg(holiday);
    const TariffPeriod& p = row->period;
    const QString days =
        p.days.isEmpty() ? QStringLiteral("ежедневно") : Weekdays::ShortText(p.days);
    return QStringLiteral("Сейчас действует: %1 ₽/ч (%2 %3–%4%5)")
        .arg(TextForms::NumberText(*p.cost), days, ShortTime(*p.wrN), ShortTime(*p.wrK), holiday);
}

QString PackageText(const TrafficTerms& terms, std::optional<quint64> used) {
    if (terms.packageMebibytes == 0 || !used)
        return {};
    QString package = QLocale(QLocale::Russian, QLocale::Russia)
                          .toString(qulonglong(terms.packageMebibytes))
                          .replace(QLatin1Char(' '), QChar(0x00a0)) +
                      QStringLiteral("\u00a0МБ");
    const quint64 left = PackageLeft(terms, *used);
    if (left == 0)
        return QStringLiteral("; пакет %1 израсходован").arg(package);
    return QStringLiteral("; пакет: осталось %1 из %2")
        .arg(MebibytesText(double(left) / double(TrafficTerms::Mebibyte)), package);
}
