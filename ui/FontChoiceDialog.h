#pragma once
// The font dialog of the grid's title: face, size, style, underline and strike-out from
// Qt's font chooser, plus the text colour, which Qt's chooser does not offer.

#include "Dialogs.h"

#include <QDialog>

class QFontDialog;
class QPushButton;

class FontChoiceDialog final : public QDialog {
    Q_OBJECT
public:
    FontChoiceDialog(const FontChoice& initial, QWidget* parent = nullptr);
    FontChoice Choice() const;

private:
    void ShowColor();

    QFontDialog* fonts_;
    QPushButton* colorButton_;
    QColor color_;
};
