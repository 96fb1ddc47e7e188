#pragma once
// The desktop's own style, with the menu bar's overflow button drawn by the program. The
// style reads that picture from an image file, and to learn the file's format Qt loads every
// image plugin on the machine: at start-up, for a button that shows only when the window is
// too narrow for its menus. This one is drawn when it first shows.

#include <QProxyStyle>

class ProgramStyle final : public QProxyStyle {
    Q_OBJECT
public:
    // Over the style of that name: the one the desktop, QT_STYLE_OVERRIDE or -style chose.
    explicit ProgramStyle(const QString& base) : QProxyStyle(base) {}
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// The name of the style the desktop, QT_STYLE_OVERRIDE or -style chose, beneath the
// program's own: what a widget's own proxy style is built over, so that it keeps the look
// the user chose.
QString ChosenStyleName();

// The chosen style with one style hint answered otherwise, for one widget: a password
// field's asterisk, the grid's line colour. The widget does not own it; `owner` does.
QStyle* StyleWithHint(QStyle::StyleHint hint, int value, QObject* owner);
