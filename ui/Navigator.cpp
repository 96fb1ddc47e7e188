#include "Navigator.h"

#include "ui/Artwork.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {
QToolButton* Button(QWidget* parent, Artwork::NavigatorPicture picture, const QString& name,
                    const QString& tip, const QString& description) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(Artwork::NavigatorIcon(picture));
    button->setToolTip(tip);
    button->setAccessibleName(tip); // a picture alone says nothing to a screen reader
    button->setAccessibleDescription(description);
    button->setAutoRaise(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}
} // namespace

Navigator::Navigator(int width, bool withDelete, QWidget* parent)
    : QWidget(parent), first_(Button(this, Artwork::NavigatorPicture::First,
                                     QStringLiteral("nbFirst"), QStringLiteral("Первая запись"),
                                     QStringLiteral("Перейти к первой записи таблицы"))),
      prior_(Button(this, Artwork::NavigatorPicture::Prior, QStringLiteral("nbPrior"),
                    QStringLiteral("Предыдущая запись"),
                    QStringLiteral("Перейти к записи выше текущей"))),
      next_(Button(this, Artwork::NavigatorPicture::Next, QStringLiteral("nbNext"),
                   QStringLiteral("Следующая запись"),
                   QStringLiteral("Перейти к записи ниже текущей"))),
      last_(Button(this, Artwork::NavigatorPicture::Last, QStringLiteral("nbLast"),
                   QStringLiteral("Последняя запись"),
                   QStringLiteral("Перейти к последней записи таблицы"))) {
    setFixedSize(width, withDelete ? 25 : 23);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {first_, prior_, next_, last_})
        layout->addWidget(b);
    if (withDelete) {
        delete_ = Button(this, Artwork::NavigatorPicture::Delete, QStringLiteral("nbDelete"),
                         QStringLiteral("Удалить запись"),
                         QStringLiteral("Удалить текущую запись таблицы"));
        layout->addWidget(delete_);
        connect(delete_, &QToolButton::clicked, this, &Navigator::Delete);
    }
    connect(first_, &QToolButton::clicked, this, &Navigator::First);
    connect(prior_, &QToolButton::clicked, this, &Navigator::Prior);
    connect(next_, &QToolButton::clicked, this, &Navigator::Next);
    connect(last_, &QToolButton::clicked, this, &Navigator::Last);
}

void Navigator::SetPosition(int row, int rowCount) {
    const bool atStart = rowCount == 0 || row <= 0;
    const bool atEnd = rowCount == 0 || row >= rowCount - 1;
    first_->setEnabled(!atStart);
    prior_->setEnabled(!atStart);
    next_->setEnabled(!atEnd);
    last_->setEnabled(!atEnd);
    if (delete_)
        delete_->setEnabled(rowCount > 0);
}
