#include "TariffWindow.h"

#include "NewTariffDialog.h"
#include "TariffModel.h"
#include "storage/Failure.h"
#include "ui/Artwork.h"
#include "ui/Centred.h"
#include "ui/Dialogs.h"
#include "ui/Navigator.h"
#include "ui/UiFonts.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

// Hands a typed value to the model as the user leaves the cell, and reports a refusal so
// the window can say why and give the text back to the user.
class TariffCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool refused = false;

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const QString text = static_cast<QLineEdit*>(editor)->text();
        auto* tariffs = static_cast<TariffModel*>(model);
        const_cast<TariffCellDelegate*>(this)->refused = !tariffs->setData(index, text, Qt::EditRole);
        if (refused)
            emit const_cast<TariffCellDelegate*>(this)->Refused(index, text, tariffs->LastError());
    }

signals:
    void Refused(const QModelIndex& index, const QString& text, const QString& message);
};

TariffWindow::TariffWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), model_(new TariffModel(this)),
      grid_(new QTableView), navigator_(nullptr), delegate_(new TariffCellDelegate(this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Тариф"));
    setWindowIcon(Artwork::ApplicationIcon());
    setFixedSize(472, 315);
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(185, 209, 234));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setGeometry(0, 0, 472, 41);
    top->setFrameStyle(QFrame::Panel | QFrame::Raised);
    top->setFocusPolicy(Qt::StrongFocus); // the focus rests here when the window opens
    navigator_ = new Navigator(345, true, top);
    navigator_->setObjectName(QStringLiteral("DBNavigator"));
    navigator_->move(8, 8);

    auto* gridPanel = new QFrame(this);
    gridPanel->setObjectName(QStringLiteral("Panel2"));
    gridPanel->setGeometry(0, 41, 472, 232);
    gridPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(gridPanel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(grid_);
    grid_->setParent(gridPanel);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setFrameShape(QFrame::NoFrame);
    grid_->setModel(model_);
    grid_->setItemDelegate(delegate_);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grid_->verticalHeader()->setFixedWidth(14);
    grid_->verticalHeader()->setDefaultSectionSize(17);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {132, 152, 127};
    for (int column = 0; column < 3; ++column)
        grid_->setColumnWidth(column, widths[column]);
    grid_->installEventFilter(this);

    auto* add = new QPushButton(QStringLiteral("Добавить тариф"), this);
    add->setObjectName(QStringLiteral("Button1"));
    add->setGeometry(272, 280, 107, 25);
    add->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(384, 280, 75, 25);
    cancel->setAutoDefault(false);

    connect(add, &QPushButton::clicked, this, &TariffWindow::ShowNewTariffDialog);
    connect(cancel, &QPushButton::clicked, this, &TariffWindow::Cancel);
    connect(navigator_, &Navigator::First, this, [this] { MoveToRow(0); });
    connect(navigator_, &Navigator::Prior, this,
            [this] { MoveToRow(grid_->currentIndex().row() - 1); });
    connect(navigator_, &Navigator::Next, this,
            [this] { MoveToRow(grid_->currentIndex().row() + 1); });
    connect(navigator_, &Navigator::Last, this, [this] { MoveToRow(model_->rowCount() - 1); });
    connect(navigator_, &Navigator::Delete, this, &TariffWindow::DeleteCurrent);
    connect(delegate_, &TariffCellDelegate::Refused, this, &TariffWindow::OnRefused);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { MoveToRow(0); });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                navigator_->SetPosition(current.row(), model_->rowCount());
                // Leaving a new row that got no value drops it.
                if (model_->HasNewRow() && current.row() != 0)
                    QTimer::singleShot(0, this, [this] {
                        if (grid_->currentIndex().row() != 0)
                            model_->DropNewRow();
                    });
            });
}

TariffWindow::~TariffWindow() {
    // The grid and the model go after this object; what they say on the way is not for us.
    disconnect(model_, nullptr, this, nullptr);
    disconnect(grid_->selectionModel(), nullptr, this, nullptr);
    disconnect(delegate_, nullptr, this, nullptr);
}

int TariffWindow::Open(TariffTable* table) {
    if (model_->Table() != table)
        model_->SetTable(table);
    MoveToRow(grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0);
    findChild<QFrame*>(QStringLiteral("Panel1"))->setFocus();
    return exec();
}

void TariffWindow::MoveToRow(int row) {
    const int count = model_->rowCount();
    navigator_->SetPosition(-1, 0);
    if (count == 0)
        return;
    row = std::clamp(row, 0, count - 1);
    const QModelIndex index = model_->index(row, std::max(0, grid_->currentIndex().column()));
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
    navigator_->SetPosition(row, count);
}

void TariffWindow::ShowNewTariffDialog() {
    if (!newTariff_ || !CommitOpenEditor())
        return;
    model_->DropNewRow();
    newTariff_->SetTable(model_->Table());
    if (newTariff_->exec() == QDialog::Accepted)
        MoveToRow(0); // the new period stands first and becomes the current row
}

void TariffWindow::Cancel() { reject(); }

void TariffWindow::reject() {
    // A value still being typed is stored as the window closes; one that cannot be stored
    // keeps the window open with the text, so nothing typed is lost unseen.
    if (!CommitOpenEditor())
        return;
    model_->DropNewRow();
    QDialog::reject();
}

void TariffWindow::DeleteCurrent() {
    const int row = grid_->currentIndex().row();
    if (row < 0 || model_->rowCount() == 0 || !dialogs_.ConfirmDelete(this))
        return;
    try {
        model_->RemovePeriod(row);
    } catch (const Failure& failure) {
        dialogs_.Error(this, failure.message());
    }
    MoveToRow(row);
}

void TariffWindow::InsertRow() {
    if (!model_->Table() || !CommitOpenEditor())
        return;
    model_->InsertNewRow();
    MoveToRow(0);
}

bool TariffWindow::CommitOpenEditor() {
    QWidget* editor = grid_->indexWidget(grid_->currentIndex());
    if (!editor)
        return true;
    delegate_->refused = false;
    emit delegate_->commitData(editor);
    if (delegate_->refused)
        return false;
    emit delegate_->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void TariffWindow::OnRefused(const QModelIndex& index, const QString& text,
                             const QString& message) {
    dialogs_.Error(this, message);
    // Back into the cell with the text as typed.
    const QPersistentModelIndex cell(index);
    QTimer::singleShot(0, this, [this, cell, text] {
        if (!cell.isValid())
            return;
        grid_->setCurrentIndex(cell);
        grid_->edit(cell);
        if (auto* editor = qobject_cast<QLineEdit*>(grid_->indexWidget(cell)))
            editor->setText(text);
    });
}

bool TariffWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Insert) {
            InsertRow();
            return true;
        }
        if (key->key() == Qt::Key_Delete && key->modifiers() & Qt::ControlModifier) {
            DeleteCurrent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

#include "TariffWindow.moc"

void TariffWindow::showEvent(QShowEvent* event) {
    CentreOnScreen(this);
    QDialog::showEvent(event);
}
