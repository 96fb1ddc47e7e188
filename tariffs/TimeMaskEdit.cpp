#include "TimeMaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTimer>

const QString TimeMaskEdit::Refusal =
    QStringLiteral("Invalid input value.  Use escape key to abandon changes");

namespace {
const QString Empty = QStringLiteral("  :  :  ");
}

TimeMaskEdit::TimeMaskEdit(QWidget* parent) : QLineEdit(parent), places_(Empty) {
    setMaxLength(8);
    ShowPlacesAndCursor();
}

void TimeMaskEdit::SetMaskText(const QString& text) {
    places_ = Empty;
    for (int i = 0; i < 8 && i < text.size(); ++i)
        if (Editable(i) && (text[i].isDigit() || (i == 0 && text[i] == QLatin1Char(' '))))
            places_[i] = text[i];
    changed_ = false;
    held_ = false;
    cursor_ = 0;
    ShowPlacesAndCursor();
}

void TimeMaskEdit::Clear() {
    SetMaskText(Empty);
}

bool TimeMaskEdit::Complete() const {
    for (int i = 1; i < 8; ++i)
        if (Editable(i) && !places_[i].isDigit())
            return false;
    return true;
}

void TimeMaskEdit::ShowPlacesAndCursor() {
    QString shown = places_;
    if (hasFocus())
        for (int i = 0; i < 8; ++i)
            if (Editable(i) && shown[i] == QLatin1Char(' '))
                shown[i] = QLatin1Char('_');
    setText(shown);
    setCursorPosition(cursor_);
}

int TimeMaskEdit::NextEditable(int place) const {
    ++place;
    while (place < 8 && !Editable(place))
        ++place;
    return std::min(place, 8);
}

int TimeMaskEdit::PriorEditable(int place) const {
    --place;
    while (place > 0 && !Editable(place))
        --place;
    return std::max(place, 0);
}

void TimeMaskEdit::Type(QChar c) {
    if (cursor_ < 8 && !Editable(cursor_))
        cursor_ = NextEditable(cursor_);
    // A digit fits every place; a blank only the optional first one.
    const bool fits = cursor_ < 8 && ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                      (cursor_ == 0 && c == QLatin1Char(' ')));
    if (!fits) {
        if (c != QLatin1Char(':') || cursor_ >= 8) {
            QApplication::beep();
        } else if (cursor_ > 0 && places_[cursor_ - 1] != QLatin1Char(':')) {
            // A colon typed inside a part moves on to the next part.
            cursor_ = cursor_ < 3 ? 3 : 6;
        } // right after a colon it is the colon already there
        ShowPlacesAndCursor();
        return;
    }
    places_[cursor_] = c;
    changed_ = true;
    cursor_ = NextEditable(cursor_);
    ShowPlacesAndCursor();
}

void TimeMaskEdit::keyPressEvent(QKeyEvent* event) {
    cursor_ = cursorPosition();
    switch (event->key()) {
    case Qt::Key_Escape:
        if (changed_) {
            places_ = atFocus_;
            changed_ = false;
            held_ = false;
            cursor_ = 0;
            ShowPlacesAndCursor();
            return;
        }
        return QLineEdit::keyPressEvent(event);
    case Qt::Key_Backspace:
        if (cursor_ > 0) {
            cursor_ = PriorEditable(cursor_);
            places_[cursor_] = QLatin1Char(' ');
            changed_ = true;
        }
        return ShowPlacesAndCursor();
    case Qt::Key_Delete:
        if (cursor_ < 8 && Editable(cursor_)) {
            places_[cursor_] = QLatin1Char(' ');
            changed_ = true;
        }
        return ShowPlacesAndCursor();
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QLineEdit::keyPressEvent(event);
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        for (const QChar c : QApplication::clipboard()->text())
            Type(c);
        return;
    }
    if (event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy))
        return QLineEdit::keyPressEvent(event);
    for (const QChar c : event->text())
        if (c.isPrint())
            Type(c);
}

void TimeMaskEdit::inputMethodEvent(QInputMethodEvent* event) {
    for (const QChar c : event->commitString())
        Type(c);
    event->accept();
}

void TimeMaskEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // While held, the focus may come back more than once (the message box closing, the
    // window manager activating the window later): the edit and what Escape brings back
    // stay until the user completes it or abandons it.
    if (!held_) {
        atFocus_ = places_;
        changed_ = false;
    }
    cursor_ = 0;
    ShowPlacesAndCursor();
}

void TimeMaskEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    const bool userMovedOn =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
        event->reason() == Qt::MouseFocusReason || event->reason() == Qt::ShortcutFocusReason ||
        event->reason() == Qt::OtherFocusReason;
    if (!refusing_ && changed_ && !Complete() && userMovedOn && isVisible()) {
        refusing_ = true;
        held_ = true;
        QApplication::beep();
        if (refuse_)
            refuse_(Refusal);
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            refusing_ = false;
        });
    } else if (userMovedOn && !refusing_) {
        held_ = false; // let go complete or untouched
    }
    ShowPlacesAndCursor();
}
