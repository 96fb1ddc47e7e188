#pragma once
// Whether every label of a window shows all of its text within its place and stays clear
// of the inputs, buttons and other texts beside it. The faces on a Linux desktop run wider
// than the classic one the windows were laid out for, so this is where a word gets cut.

#include <QLabel>
#include <QStringList>
#include <QStyle>

// Where a label's text is drawn, in its parent's coordinates.
inline QRect TextArea(const QLabel* label) {
    if (label->wordWrap())
        return {label->pos(), QSize(label->width(), label->heightForWidth(label->width()))};
    const QSize text(label->fontMetrics().horizontalAdvance(label->text()),
                     label->fontMetrics().height());
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(), text,
                               label->geometry());
}

// The labels that fail, each with what is wrong, for the test's message.
inline QStringList LabelsThatDoNotFit(const QWidget& window) {
    QStringList wrong;
    const auto name = [](const QWidget* w) {
        const auto* label = qobject_cast<const QLabel*>(w);
        return !w->objectName().isEmpty() ? w->objectName()
               : label                    ? label->text()
                                          : QStringLiteral("a neighbour");
    };
    const auto shows = [](const QLabel* label) {
        return !label->text().isEmpty() && label->pixmap().isNull() && !label->isHidden();
    };
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (!shows(label))
            continue;
        const QRect text = TextArea(label);
        if (!label->geometry().contains(text))
            wrong << name(label) + QStringLiteral(" is cut");
        for (const QWidget* other : window.findChildren<QWidget*>()) {
            if (other->parentWidget() != label->parentWidget() || other == label ||
                other->isHidden())
                continue;
            const auto* otherLabel = qobject_cast<const QLabel*>(other);
            QRect area;
            if (otherLabel && shows(otherLabel))
                area = TextArea(otherLabel);
            else if (other->focusPolicy() != Qt::NoFocus) // inputs and buttons
                area = other->geometry();
            if (area.isValid() && text.intersects(area))
                wrong << name(label) + QStringLiteral(" runs into ") + name(other);
        }
    }
    return wrong;
}
