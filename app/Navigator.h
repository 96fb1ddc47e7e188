#pragma once
// The record navigator: first, prior, next and last, and nothing else.

#include <QWidget>

class QToolButton;

class Navigator final : public QWidget {
    Q_OBJECT
public:
    explicit Navigator(QWidget* parent = nullptr);
    // Greys out what cannot move: first and prior on the first row, next and last on the last.
    void SetPosition(int row, int rowCount);

signals:
    void First();
    void Prior();
    void Next();
    void Last();

private:
    QToolButton* first_;
    QToolButton* prior_;
    QToolButton* next_;
    QToolButton* last_;
};
