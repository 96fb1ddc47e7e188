#include "StatusLine.h"

#include <QPainter>

StatusLine::StatusLine(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // It fills itself with the window's colour, so a repaint never reaches the widgets
    // behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusLine::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    // A screen reader hears the line through its description.
    setAccessibleDescription(text_);
    update();
}

QSize StatusLine::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * TypicalLength, metrics.height()};
}

QSize StatusLine::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void StatusLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().brush(backgroundRole()));
    painter.setPen(palette().color(foregroundRole()));
    const QString shown = fontMetrics().elidedText(text_, Qt::ElideRight, width());
    painter.drawText(rect(), int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}
