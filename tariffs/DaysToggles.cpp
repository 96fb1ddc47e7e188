#include "DaysToggles.h"

#include "storage/Weekdays.h"

#include <QHBoxLayout>
#include <QToolButton>

DaysToggles::DaysToggles(QWidget* parent, int height) : QWidget(parent) {
    static const char16_t* const names[] = {u"пн", u"вт", u"ср", u"чт", u"пт", u"сб", u"вс"};
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int d = 0; d < 7; ++d) {
        auto* toggle = new QToolButton(this);
        toggle->setObjectName(QStringLiteral("Day%1").arg(d + 1));
        toggle->setText(QString::fromUtf16(names[d]));
        toggle->setCheckable(true);
        toggle->setChecked(true);
        toggle->setFixedSize(ToggleWidth, height);
        toggle->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(toggle);
        toggles_[d] = toggle;
    }
    setFixedSize(7 * ToggleWidth, height);
    setFocusProxy(toggles_[0]);
}

QString DaysToggles::Checked() const {
    QString days;
    for (int d = 1; d <= 7; ++d)
        if (Toggle(d)->isChecked())
            days += QChar(u'0' + d);
    return days;
}

void DaysToggles::SetDays(const QString& days) {
    for (int d = 1; d <= 7; ++d)
        Toggle(d)->setChecked(Weekdays::Contains(days, d));
}
