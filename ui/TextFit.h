#pragma once
// The windows were laid out for a narrow classic face; the faces of a Linux desktop run
// wider. A label whose text would be cut first grows into the room it has beside it, then,
// when that is not enough, takes its face a pixel smaller at a time.

#include <QLabel>

namespace TextFit {

inline bool Fits(const QLabel* label) {
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

// maxWidth: the widest the label may grow without reaching its neighbour.
inline void Fit(QLabel* label, int maxWidth) {
    while (!Fits(label) && label->width() < maxWidth)
        label->resize(label->width() + 1, label->height());
    QFont font = label->font();
    while (!Fits(label) && font.pixelSize() > 8) {
        font.setPixelSize(font.pixelSize() - 1);
        label->setFont(font);
    }
}

} // namespace TextFit
