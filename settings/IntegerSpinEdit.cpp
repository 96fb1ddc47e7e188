#include "IntegerSpinEdit.h"

#include "OptionsFile.h"
#include "ui/Contrast.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

IntegerSpinEdit::IntegerSpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(QStringLiteral("0"), this)), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    setFocusProxy(edit_);
    up_->setAccessibleName(QStringLiteral("Больше"));
    up_->setAccessibleDescription(QStringLiteral("Прибавить единицу"));
    down_->setAccessibleName(QStringLiteral("Меньше"));
    down_->setAccessibleDescription(QStringLiteral("Отнять единицу"));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setFixedWidth(15);
    }
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit_);
    layout->addLayout(arrows);
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
    edit_->installEventFilter(this);
    FitArrowColours();
}

void IntegerSpinEdit::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        FitArrowColours();
}

void IntegerSpinEdit::FitArrowColours() {
    QPalette p = palette();
    const QColor arrow =
        Contrast::ReadableOn(p.color(QPalette::Button), p.color(QPalette::ButtonText));
    p.setColor(QPalette::WindowText, arrow);
    p.setColor(QPalette::ButtonText, arrow);
    for (QToolButton* b : {up_, down_})
        b->setPalette(p);
}

int IntegerSpinEdit::Value() const {
    // An integer too large for the field reads as the bound it passed, never as 0: a long
    // row of digits must be refused as too large, not taken for "stop polling".
    if (const auto value = WideIntegerIn(edit_->text()))
        return int(std::clamp<qint64>(*value, INT_MIN, INT_MAX));
    return 0;
}

void IntegerSpinEdit::SetValue(int value) {
    edit_->setText(QString::number(value));
}

void IntegerSpinEdit::StepBy(int steps) {
    SetValue(int(std::clamp<qint64>(qint64(Value()) + steps, INT_MIN, INT_MAX)));
}

bool IntegerSpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Up:
        StepBy(1);
        return true;
    case Qt::Key_Down:
        StepBy(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QApplication::beep();
        return true;
    default:
        break;
    }
    if (key->matches(QKeySequence::Paste) || key->modifiers() & Qt::ControlModifier)
        return false; // pasted and edited text is taken as it is
    const QString text = key->text();
    if (text.isEmpty() || !text[0].isPrint())
        return false; // editing and moving keys
    const QChar c = text[0];
    if (c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char(','))
        return false;
    QApplication::beep();
    return true;
}
