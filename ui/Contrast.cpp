#include "Contrast.h"

#include <QWidget>
#include <cmath>

namespace Contrast {
namespace {
double Channel(double value) {
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}
} // namespace

double Luminance(const QColor& color) {
    const QColor rgb = color.toRgb();
    return 0.2126 * Channel(rgb.redF()) + 0.7152 * Channel(rgb.greenF()) +
           0.0722 * Channel(rgb.blueF());
}

double Ratio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& background, const QColor& wanted) {
    if (Ratio(background, wanted) >= Enough)
        return wanted;
    // The wanted colour taken towards black or towards white, the least that reads: a red
    // warning stays a darker red rather than turning black.
    const QColor from = wanted.toRgb();
    auto towards = [&](double end, double t) {
        return QColor::fromRgbF(from.redF() + (end - from.redF()) * t,
                                from.greenF() + (end - from.greenF()) * t,
                                from.blueF() + (end - from.blueF()) * t);
    };
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        for (double end : {0.0, 1.0}) {
            const QColor tried = towards(end, t);
            if (Ratio(background, tried) >= Enough)
                return tried;
        }
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Ratio(background, black) >= Ratio(background, white) ? black : white;
}

void FixColours(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    const QColor readable = ReadableOn(background, text);
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, readable);
    // Disabled text stays visible, greyed towards the background.
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     QColor::fromRgbF((readable.redF() + background.redF()) / 2,
                                      (readable.greenF() + background.greenF()) / 2,
                                      (readable.blueF() + background.blueF()) / 2));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void FixText(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ReadableOn(background, text));
    widget->setPalette(palette);
}

} // namespace Contrast
