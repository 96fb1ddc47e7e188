#pragma once
// One line of text that changes every second: a new text repaints the line alone. A QLabel
// would ask the whole window to lay itself out again at every change, which at one change a
// second is most of what the program does while it times a connection.

#include <QWidget>

class StatusLine : public QWidget {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }

    // As high as a line of the font and as wide as a typical status text. The hint never
    // follows the text, so no text changes the window's layout.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int TypicalLength = 24; // characters
    QString text_;
};
