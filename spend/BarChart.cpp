#include "BarChart.h"

#include <QPainter>
#include <algorithm>

BarChart::BarChart(QString title, QColor bars, QWidget* parent)
    : QWidget(parent), title_(std::move(title)), colour_(bars) {
    setMinimumHeight(120);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void BarChart::SetBars(std::vector<double> values, QStringList labels, std::vector<Level> levels,
                       std::function<QString(double)> valueText) {
    values_ = std::move(values);
    labels_ = std::move(labels);
    levels_ = std::move(levels);
    valueText_ = std::move(valueText);
    update();
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(6, 2, width() - 12, line), Qt::AlignLeft, title_);

    double top = 0;
    for (double v : values_)
        top = std::max(top, v);
    for (const Level& level : levels_)
        top = std::max(top, level.value);
    if (top <= 0)
        top = 1;
    top *= 1.08;
    const QRect plot(6 + fm.horizontalAdvance(QStringLiteral("00000")), 4 + line,
                     width() - 18 - fm.horizontalAdvance(QStringLiteral("00000")),
                     height() - 10 - 2 * line);
    if (plot.width() < 10 || plot.height() < 10)
        return;
    const auto y = [&](double v) {
        return plot.bottom() - v / top * plot.height();
    };

    p.setPen(QColor(200, 200, 200));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.setPen(palette().color(QPalette::WindowText));
    if (valueText_)
        // Under the title's line, beside the top of the plot.
        p.drawText(QRect(0, plot.top(), plot.left() - 4, line), Qt::AlignRight | Qt::AlignTop,
                   valueText_(top));

    const int n = int(values_.size());
    if (n > 0) {
        const double slot = double(plot.width()) / n;
        const double bar = std::max(1.0, slot * 0.7);
        for (int i = 0; i < n; ++i) {
            const double x = plot.left() + i * slot + (slot - bar) / 2;
            const QRectF r(x, y(values_[std::size_t(i)]), bar,
                           plot.bottom() - y(values_[std::size_t(i)]));
            p.fillRect(r, colour_);
            const QString label = labels_.value(i);
            if (!label.isEmpty())
                p.drawText(QRectF(plot.left() + i * slot - 20, plot.bottom() + 2, slot + 40, line),
                           Qt::AlignHCenter | Qt::AlignTop, label);
        }
    }
    for (const Level& level : levels_) {
        QPen pen(level.colour, 2, level.dashed ? Qt::DashLine : Qt::SolidLine);
        p.setPen(pen);
        const double at = y(level.value);
        p.drawLine(QPointF(plot.left(), at), QPointF(plot.right(), at));
        p.drawText(QRectF(plot.left() + 4, at - line - 1, plot.width() - 8, line),
                   Qt::AlignRight | Qt::AlignBottom, level.label);
    }
}
