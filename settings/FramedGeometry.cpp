#include "FramedGeometry.h"

void FramedGeometry::Ask(const WindowGeometry& read, const QRect& available) {
    asked_ = WindowSettings::FitInto(read, available);
    pending_ = true;
}

WindowGeometry FramedGeometry::Outer(const QRect& frameGeometry) const {
    if (pending_)
        return asked_;
    return {frameGeometry.left(), frameGeometry.top(), frameGeometry.width(),
            frameGeometry.height()};
}

std::optional<QSize> FramedGeometry::Framed(const QMargins& frame) {
    if (!pending_ || frame.isNull())
        return std::nullopt; // not yet: a window manager frames the window after it is shown
    pending_ = false;
    // The stored size is the outer one: the inside is smaller by the frame.
    return QSize(asked_.width - frame.left() - frame.right(),
                 asked_.height - frame.top() - frame.bottom());
}
