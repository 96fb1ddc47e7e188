#pragma once
// A time input with the edit mask "!90:00:00;1;_": eight places, hours, colon, minutes,
// colon, seconds. The first hour place is an optional digit that may stay blank, the other
// five are required digits, the colons are fixed. An empty place shows as "_" while the
// input has the focus and as a blank otherwise. An input that was changed and still misses
// a required digit keeps the focus and says so; Escape abandons the changes.

#include <QLineEdit>
#include <functional>

class TimeMaskEdit final : public QLineEdit {
    Q_OBJECT
public:
    static const QString Refusal; // "Invalid input value.  Use escape key to abandon changes"

    explicit TimeMaskEdit(QWidget* parent = nullptr);

    // Always eight characters, a blank in every empty place: "  :  :  ", " 8:00:00".
    QString MaskText() const { return places_; }
    void SetMaskText(const QString& text);
    void Clear(); // every place empty, as at first
    bool Complete() const;
    bool Changed() const { return changed_; }
    // How a refusal is shown to the user; a plain beep when none is set.
    void SetRefusalHandler(std::function<void(const QString&)> handler) {
        refuse_ = std::move(handler);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    static bool Editable(int place) { return place != 2 && place != 5; }
    void Type(QChar c);
    // Writes the places into the line, "_" in an empty one while it has the focus, and puts
    // the cursor back at its place.
    void ShowPlacesAndCursor();
    int NextEditable(int place) const;
    int PriorEditable(int place) const;

    QString places_;
    QString atFocus_; // the text when the input took the focus
    int cursor_ = 0;
    bool changed_ = false;
    bool refusing_ = false; // the refusal is being told
    bool held_ = false;     // refused and not yet completed or abandoned
    std::function<void(const QString&)> refuse_;
};
