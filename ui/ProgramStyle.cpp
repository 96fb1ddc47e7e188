#include "ProgramStyle.h"

#include "Artwork.h"

#include <QApplication>

QIcon ProgramStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                 const QWidget* widget) const {
    switch (which) {
    case SP_ToolBarHorizontalExtensionButton:
        return Artwork::ChevronIcon(Qt::Horizontal);
    case SP_ToolBarVerticalExtensionButton:
        return Artwork::ChevronIcon(Qt::Vertical);
    default:
        return QProxyStyle::standardIcon(which, option, widget);
    }
}

QString ChosenStyleName() {
    const QStyle* style = QApplication::style();
    if (const auto* own = qobject_cast<const ProgramStyle*>(style))
        style = own->baseStyle();
    return style->name();
}
