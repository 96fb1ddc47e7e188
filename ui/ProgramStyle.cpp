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

namespace {
class OneHintStyle final : public QProxyStyle {
public:
    OneHintStyle(const QString& base, StyleHint hint, int value)
        : QProxyStyle(base), hint_(hint), value_(value) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        return hint == hint_ ? value_ : QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    StyleHint hint_;
    int value_;
};
} // namespace

QStyle* StyleWithHint(QStyle::StyleHint hint, int value, QObject* owner) {
    auto* style = new OneHintStyle(ChosenStyleName(), hint, value);
    style->setParent(owner);
    return style;
}

QString ChosenStyleName() {
    const QStyle* style = QApplication::style();
    if (const auto* own = qobject_cast<const ProgramStyle*>(style))
        style = own->baseStyle();
    return style->name();
}
