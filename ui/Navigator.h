#pragma once
// The record navigator: first, prior, next and last, and a delete button where asked for.

#include <QWidget>

class QToolButton;

class Navigator final : public QWidget {
    Q_OBJECT
public:
    // The buttons share the width equally.
    Navigator(int width, bool withDelete, QWidget* parent = nullptr);
    // Greys out what cannot move: first and prior on the first row, next and last on the last.
    void SetPosition(int row, int rowCount);

signals:
    void First();
    void Prior();
    void Next();
    void Last();
    void Delete();

private:
    QToolButton* first_;
    QToolButton* prior_;
    QToolButton* next_;
    QToolButton* last_;
    QToolButton* delete_ = nullptr;
};
