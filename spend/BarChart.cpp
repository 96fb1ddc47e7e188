#include "BarChart.h"

#include "ui/Contrast.h"

#include <QPainter>
#include <algorithm>

BarChart::BarChart(QString title, QColor bars, QWidget* parent)
    : QWidget(parent), title_(std::move(title)), colour_(bars) {
    setMinimumHeight(120);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Background());
    setPalette(p);
    setAccessibleName(title_);
}

void BarChart::SetBars(std::vector<double> values, QStringList labels, std::vector<Level> levels,
                       std::function<QString(double)> valueText) {
    values_ = std::move(values);
    labels_ = std::move(labels);
    levels_ = std::move(levels);
    valueText_ = std::move(valueText);
    // What a screen reader says instead of the picture: the highest bar and each level.
    QStringList said;
    const auto highest = std::max_element(values_.begin(), values_.end());
    if (highest == values_.end() || *highest <= 0)
        said << QStringLiteral("нет данных");
    else
        said << QStringLiteral("наибольшее значение %1 (столбец %2 из %3)")
                    .arg(valueText_ ? valueText_(*highest) : QString::number(*highest))
                    .arg(highest - values_.begin() + 1)
                    .arg(values_.size());
    for (const Level& level : levels_)
        said << level.label;
    setAccessibleDescription(said.join(QStringLiteral("; ")));
    update();
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();
    // The theme's text colour, taken towards black where it would not read on white.
    const QColor text = Contrast::ReadableOn(Background(), palette().color(QPalette::WindowText));
    p.setPen(text);
    p.drawText(QRect(6, 2, width() - 12, line), Qt::AlignLeft, title_);

    double top = 0;
    for (double v : values_)
        top = std::max(top, v);
    for (const Level& level : levels_)
        top = std::max(top, level.value);
    if (top <= 0)
        top = 1;
    top *= 1.08;
    // The scale's column is as wide as its text, however many digits it has.
    const QString topText = valueText_ ? valueText_(top) : QString();
    const int scale =
        std::max(fm.horizontalAdvance(QStringLiteral("00000")), fm.horizontalAdvance(topText) + 4);
    const QRect plot(6 + scale, 4 + line, width() - 18 - scale, height() - 10 - 2 * line);
    if (plot.width() < 10 || plot.height() < 10)
        return;
    const auto y = [&](double v) {
        return plot.bottom() - v / top * plot.height();
    };

    p.setPen(QColor(200, 200, 200));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.setPen(text);
    if (valueText_)
        // Under the title's line, beside the top of the plot.
        p.drawText(QRect(0, plot.top(), plot.left() - 4, line), Qt::AlignRight | Qt::AlignTop,
                   topText);

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
    PaintLevels(p, plot, top);
}

void BarChart::PaintLevels(QPainter& p, const QRect& plot, double top) {
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();
    const auto y = [&](double v) {
        return plot.bottom() - v / top * plot.height();
    };
    // The level lines first, then their labels on a patch of the background, each placed
    // where it covers no label placed before it: above its line at the right, else below
    // it, else further left.
    for (const Level& level : levels_) {
        p.setPen(QPen(level.colour, 2, level.dashed ? Qt::DashLine : Qt::SolidLine));
        const double at = y(level.value);
        p.drawLine(QPointF(plot.left(), at), QPointF(plot.right(), at));
    }
    std::vector<QRectF> placed;
    QColor patch = Background();
    patch.setAlpha(225);
    for (const Level& level : levels_) {
        const double at = y(level.value);
        const double w = fm.horizontalAdvance(level.label) + 6;
        const auto free = [&](const QRectF& r) {
            return std::none_of(placed.begin(), placed.end(),
                                [&](const QRectF& other) { return other.intersects(r); });
        };
        const double right = plot.right() - 2;
        QRectF box(right - w, at - line - 1, w, line);
        bool found = false;
        for (double end = right; !found && end - w >= plot.left(); end -= 8) {
            for (const double boxTop : {at - line - 1, at + 2}) {
                const QRectF tried(end - w, boxTop, w, line);
                if (free(tried)) {
                    box = tried;
                    found = true;
                    break;
                }
            }
        }
        placed.push_back(box);
        p.fillRect(box, patch);
        p.setPen(Contrast::ReadableOn(Background(), level.colour));
        p.drawText(box, Qt::AlignCenter, level.label);
    }
}
