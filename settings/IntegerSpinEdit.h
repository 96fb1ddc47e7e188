#pragma once
// An integer field with up and down arrow buttons, without bounds. Typing is limited to
// digits, "+", "-", the decimal comma and editing keys; anything else, Enter included, is
// refused with a beep. Pasted text is taken as it is. A text that is no integer reads as 0;
// an integer beyond the 32-bit range reads as the bound it passed.

#include <QWidget>

class QLineEdit;
class QToolButton;

class IntegerSpinEdit final : public QWidget {
    Q_OBJECT
public:
    explicit IntegerSpinEdit(QWidget* parent = nullptr);
    int Value() const;
    void SetValue(int value);
    QLineEdit* Editor() const { return edit_; }
    void StepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The arrows drawn in a colour that reads on the buttons' own panel, whatever text
    // colour the window around fixes for its background.
    void FitArrowColours();

    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};
