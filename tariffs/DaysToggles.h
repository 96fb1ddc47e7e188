#pragma once
// Seven toggles, Monday to Sunday, for the days a tariff period applies on.

#include <QWidget>

class QToolButton;

class DaysToggles final : public QWidget {
    Q_OBJECT
public:
    static constexpr int ToggleWidth = 22;

    explicit DaysToggles(QWidget* parent = nullptr, int height = 21);
    // The days switched on as ISO weekday digits in order ("1234567" for all, "" for none).
    QString Checked() const;
    // Switches on the days of a stored days text: all seven for "" (every day).
    void SetDays(const QString& days);
    QToolButton* Toggle(int day) const { return toggles_[day - 1]; }

private:
    QToolButton* toggles_[7];
};
