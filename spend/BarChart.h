#pragma once
// A small bar chart drawn with QPainter: one bar per value, a label under some of them, and
// optional level lines (a budget, a forecast) across it. Its background is fixed white, so
// its text is drawn in a colour that reads there, whatever the desktop's colour scheme.

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <vector>

class QPainter;

class BarChart final : public QWidget {
    Q_OBJECT
public:
    struct Level {
        double value;
        QColor colour;
        QString label;
        bool dashed = false;
    };
    explicit BarChart(QString title, QColor bars, QWidget* parent = nullptr);
    // The values, their labels (empty ones are left out), and the value text of the top.
    // The chart's accessible description tells the same in words.
    void SetBars(std::vector<double> values, QStringList labels, std::vector<Level> levels,
                 std::function<QString(double)> valueText);
    const std::vector<double>& Values() const { return values_; }
    QSize sizeHint() const override { return {560, 150}; }
    static QColor Background() { return Qt::white; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The level lines, then their labels on patches that cover no label placed before.
    void PaintLevels(QPainter& p, const QRect& plot, double top);
    QString title_;
    QColor colour_;
    std::vector<double> values_;
    QStringList labels_;
    std::vector<Level> levels_;
    std::function<QString(double)> valueText_;
};
