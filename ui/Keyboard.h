#pragma once
// Reaching everything from the keyboard: access keys on the entries of a menu and on the
// buttons of a window, and F10 or a lone Alt opening the menu bar.

#include <QObject>

class QMenuBar;
class QMenu;
class QWidget;

namespace Keyboard {

// Marks an access key ("&") in each entry of the bar and of its menus, and in each button of
// the window, that has none: the first letter of a word not yet taken in that menu or
// window, else any letter not yet taken. The shown captions stay as they are.
void AssignAccessKeys(QMenuBar* bar);
void AssignAccessKeys(QMenu* menu);
void AssignAccessKeys(QWidget* window);
// The caption with an access key marked, given the keys already taken (lower case).
QString WithAccessKey(const QString& caption, QString& taken);

// F10, and Alt pressed and released alone, open the bar's first menu; the arrow keys then
// move along the bar. Alt is left to the style where the style does this itself.
class MenuBarKeys final : public QObject {
public:
    explicit MenuBarKeys(QMenuBar* bar);
    void Open();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenuBar* bar_;
    bool altAlone_ = false;
};

} // namespace Keyboard
