#pragma once
// The main window's outer geometry between start and close. The one read at start, fitted to
// the screen, is asked for; a window manager frames the window some time after it shows, and
// until then the outer geometry is the one asked for, so that what was read is what is
// written. Once the frame is known the inside is made smaller by it.

#include "WindowSettings.h"

#include <QMargins>
#include <QSize>
#include <optional>

class FramedGeometry {
public:
    // What was read, made to fit `available` (the screen's free area); the frame is not
    // known from now on until Framed takes it.
    void Ask(const WindowGeometry& read, const QRect& available);
    const WindowGeometry& Asked() const { return asked_; }
    bool FramePending() const { return pending_; }

    // The outer geometry to write: the asked one while the frame is not known.
    WindowGeometry Outer(const QRect& frameGeometry) const;
    // The inside size that gives the asked outer size in `frame`; nothing while the frame
    // is still unknown (no margins yet), and nothing once it was taken.
    std::optional<QSize> Framed(const QMargins& frame);

private:
    WindowGeometry asked_;
    bool pending_ = false;
};
