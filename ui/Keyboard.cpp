#include "Keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStyle>

namespace Keyboard {

QString WithAccessKey(const QString& caption, QString& taken) {
    if (caption.contains(QLatin1Char('&')))
        return caption; // one the caption chose itself
    auto free = [&](int i) {
        const QChar c = caption.at(i).toLower();
        return c.isLetter() && !taken.contains(c);
    };
    int chosen = -1;
    for (int i = 0; i < caption.size() && chosen < 0; ++i)
        if ((i == 0 || !caption.at(i - 1).isLetterOrNumber()) && free(i))
            chosen = i; // a word's first letter
    for (int i = 0; i < caption.size() && chosen < 0; ++i)
        if (free(i))
            chosen = i;
    if (chosen < 0)
        return caption;
    taken += caption.at(chosen).toLower();
    return caption.left(chosen) + QLatin1Char('&') + caption.mid(chosen);
}

namespace {
QString TakenIn(const QList<QAction*>& actions) {
    QString taken;
    for (const QAction* action : actions) {
        const QString text = action->text();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size())
            taken += text.at(at + 1).toLower();
    }
    return taken;
}

void Assign(const QList<QAction*>& actions) {
    QString taken = TakenIn(actions);
    for (QAction* action : actions)
        if (!action->isSeparator())
            action->setText(WithAccessKey(action->text(), taken));
}
} // namespace

void AssignAccessKeys(QMenu* menu) {
    Assign(menu->actions());
    for (QAction* action : menu->actions())
        if (action->menu())
            AssignAccessKeys(action->menu());
}

void AssignAccessKeys(QMenuBar* bar) {
    Assign(bar->actions());
    for (QAction* action : bar->actions())
        if (action->menu())
            AssignAccessKeys(action->menu());
}

void AssignAccessKeys(QWidget* window) {
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->window() == window) // not those of the dialogs it owns
            buttons << button;
    QString taken;
    for (const QAbstractButton* button : buttons) {
        const qsizetype at = button->text().indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < button->text().size())
            taken += button->text().at(at + 1).toLower();
    }
    // Captions of one or two letters (the days' toggles "пн"…"вс") are reached by Tab;
    // an access key would take a letter a whole word needs.
    for (QAbstractButton* button : buttons)
        if (button->text().size() > 2)
            button->setText(WithAccessKey(button->text(), taken));
}

MenuBarKeys::MenuBarKeys(QMenuBar* bar) : QObject(bar), bar_(bar) {
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), bar->window());
    connect(f10, &QShortcut::activated, this, &MenuBarKeys::Open);
    qApp->installEventFilter(this);
}

void MenuBarKeys::Open() {
    for (QAction* action : bar_->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            bar_->setFocus(Qt::MenuBarFocusReason);
            bar_->setActiveAction(action);
            return;
        }
    }
}

bool MenuBarKeys::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != bar_->window() ||
        bar_->style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, bar_))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride)
        return false;
    if (type == QEvent::KeyPress) {
        // Alt alone: pressed with no other modifier, and no key between press and release.
        altAlone_ = key->key() == Qt::Key_Alt && key->modifiers() == Qt::AltModifier &&
                    !key->isAutoRepeat();
        return false;
    }
    if (key->key() == Qt::Key_Alt && altAlone_ && !key->isAutoRepeat()) {
        altAlone_ = false;
        Open();
        return true;
    }
    return false;
}

} // namespace Keyboard
