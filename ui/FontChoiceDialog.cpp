#include "FontChoiceDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FontChoiceDialog::FontChoiceDialog(const FontChoice& initial, QWidget* parent)
    : QDialog(parent), fonts_(new QFontDialog(initial.font, this)),
      colorButton_(new QPushButton(this)), color_(initial.color) {
    setWindowTitle(QStringLiteral("Шрифт"));
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts_->setWindowFlags(Qt::Widget); // shown inside this dialog, not as its own window

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Цвет:"), this));
    colorRow->addWidget(colorButton_);
    colorRow->addStretch();
    colorButton_->setAccessibleName(QStringLiteral("Цвет"));
    colorButton_->setAccessibleDescription(QStringLiteral("Выбрать цвет шрифта"));
    connect(colorButton_, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(color_, this);
        if (chosen.isValid()) {
            color_ = chosen;
            ShowColor();
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fonts_);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
    ShowColor();
}

void FontChoiceDialog::ShowColor() {
    colorButton_->setFixedSize(60, 22);
    colorButton_->setStyleSheet(QStringLiteral("background-color: %1;").arg(color_.name()));
}

FontChoice FontChoiceDialog::Choice() const {
    return {fonts_->currentFont(), color_};
}
