#include "TariffWindow.h"

#include "BillingDialog.h"
#include "DaysToggles.h"
#include "HolidaysDialog.h"
#include "InForceText.h"
#include "NewTariffDialog.h"
#include "TariffModel.h"
#include "storage/Failure.h"
#include "ui/Artwork.h"
#include "ui/Centred.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"
#include "ui/Navigator.h"
#include "ui/UiFonts.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int DaysColumn = 3;
}

// Hands a typed value to the model as the user leaves the cell, and reports a refusal so
// the window can say why and give the text back to the user.
// The days are edited with seven toggles laid over the cell.
class TariffCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool refused = false;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() != DaysColumn)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* toggles = new DaysToggles(parent, option.rect.height());
        toggles->setAutoFillBackground(true);
        return toggles;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* toggles = qobject_cast<DaysToggles*>(editor))
            return toggles->SetDays(index.data(Qt::EditRole).toString());
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        if (!qobject_cast<DaysToggles*>(editor))
            return QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        // Wider than the cell: kept inside the grid, over the cells to its left.
        QRect area = option.rect;
        area.setWidth(editor->width());
        if (const QWidget* viewport = editor->parentWidget(); area.right() > viewport->width())
            area.moveRight(viewport->width() - 1);
        editor->setGeometry(area);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* toggles = qobject_cast<DaysToggles*>(editor);
        const QString text = toggles ? toggles->Checked() : static_cast<QLineEdit*>(editor)->text();
        auto* tariffs = static_cast<TariffModel*>(model);
        const_cast<TariffCellDelegate*>(this)->refused =
            !tariffs->setData(index, text, Qt::EditRole);
        if (refused)
            emit const_cast<TariffCellDelegate*>(this)->Refused(index, text, tariffs->LastError());
    }

signals:
    void Refused(const QModelIndex& index, const QString& text, const QString& message);
};

namespace {
constexpr int Width = 542;
constexpr int GridPanelHeight = 232;
constexpr int InForceTop = 278, InForceHeight = 17;
} // namespace

// The grid of periods: its model, editing, header and column widths as they always were.
void TariffWindow::SetUpGrid(QWidget* panel) {
    grid_->setParent(panel);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setAccessibleName(QStringLiteral("Тарифы"));
    grid_->setAccessibleDescription(
        QStringLiteral("Периоды тарифа: время начала, время окончания и цена часа"));
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
    const int widths[] = {132, 152, 127, 96};
    for (int column = 0; column < 4; ++column)
        grid_->setColumnWidth(column, widths[column]);
    grid_->installEventFilter(this);
}

TariffWindow::TariffWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), model_(new TariffModel(this)), grid_(new QTableView),
      navigator_(nullptr), delegate_(new TariffCellDelegate(this)), inForce_(new QLabel(this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Тариф"));
    setWindowIcon(Artwork::ApplicationIcon());
    setFixedSize(Width, 335);
    setFont(UiFonts::Font(UiFonts::SansFamilies(), 11));
    Contrast::FixColours(this, Contrast::FormColour, Qt::white);

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setGeometry(0, 0, Width, 41);
    top->setFrameStyle(QFrame::Panel | QFrame::Raised);
    top->setFocusPolicy(Qt::StrongFocus); // the focus rests here when the window opens
    top->setAccessibleName(QStringLiteral("Навигатор тарифов"));
    top->setAccessibleDescription(QStringLiteral("Переход между периодами тарифа и удаление"));
    navigator_ = new Navigator(345, true, top);
    navigator_->setObjectName(QStringLiteral("DBNavigator"));
    navigator_->move(8, 8);

    auto* gridPanel = new QFrame(this);
    gridPanel->setObjectName(QStringLiteral("Panel2"));
    gridPanel->setGeometry(0, 41, Width, GridPanelHeight);
    gridPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(gridPanel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(grid_);
    SetUpGrid(gridPanel);

    inForce_->setObjectName(QStringLiteral("InForce"));
    inForce_->setGeometry(8, InForceTop, Width - 16, InForceHeight);
    inForce_->setWordWrap(true);

    auto* holidays = new QPushButton(QStringLiteral("Праздники..."), this);
    holidays->setObjectName(QStringLiteral("Holidays"));
    holidays->setGeometry(8, 300, 90, 25);
    holidays->setAutoDefault(false);
    auto* billing = new QPushButton(QStringLiteral("Тарификация..."), this);
    billing->setObjectName(QStringLiteral("Billing"));
    billing->setGeometry(104, 300, 105, 25);
    billing->setAutoDefault(false);
    auto* add = new QPushButton(QStringLiteral("Добавить тариф"), this);
    add->setObjectName(QStringLiteral("Button1"));
    add->setGeometry(Width - 200, 300, 107, 25);
    add->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(Width - 88, 300, 75, 25);
    cancel->setAutoDefault(false);

    // The price in force moves with the clock: read again while the window is open.
    auto* clockTick = new QTimer(this);
    clockTick->setInterval(10'000);
    connect(clockTick, &QTimer::timeout, this, &TariffWindow::RefreshInForce);
    clockTick->start();
    connect(holidays, &QPushButton::clicked, this, &TariffWindow::ShowHolidays);
    connect(billing, &QPushButton::clicked, this, &TariffWindow::ShowBilling);
    connect(model_, &QAbstractItemModel::modelReset, this, &TariffWindow::RefreshInForce);
    connect(model_, &QAbstractItemModel::dataChanged, this, &TariffWindow::RefreshInForce);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TariffWindow::RefreshInForce);

    Keyboard::AssignAccessKeys(this);
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
    RefreshInForce();
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

void TariffWindow::Cancel() {
    reject();
}

void TariffWindow::ShowHolidays() {
    if (!CommitOpenEditor())
        return;
    if (!model_->Table())
        return dialogs_.Error(this,
                              QStringLiteral("Cannot perform this operation on a closed dataset"));
    HolidaysDialog dialog(dialogs_, *model_->Table(), this);
    dialog.exec();
    RefreshInForce();
}

void TariffWindow::ShowBilling() {
    if (!CommitOpenEditor())
        return;
    if (!model_->Table())
        return dialogs_.Error(this,
                              QStringLiteral("Cannot perform this operation on a closed dataset"));
    BillingDialog dialog(dialogs_, *model_->Table(), this);
    dialog.exec();
    RefreshInForce(); // the package may have changed
}

void TariffWindow::RefreshInForce() {
    if (!isVisible() && sender())
        return; // the timer: nothing to show
    TariffTable* table = model_->Table();
    if (!table) {
        inForce_->clear();
        return;
    }
    const QDateTime now = now_();
    try {
        QStringList setAside; // terms written wrong: no package, as the lookup has it
        inForce_->setText(InForceText(table->ReadAll(), table->ReadHolidays(), now.date(),
                                      now.time().msecsSinceStartOfDay()) +
                          PackageText(table->ReadTrafficTerms(&setAside),
                                      periodTraffic_ ? periodTraffic_() : std::nullopt));
    } catch (const Failure&) {
        // The grid has said why; the line says only that it cannot tell.
        inForce_->setText(
            QStringLiteral("Сейчас действует: неизвестно (файл тарифов не читается)"));
    }
    FitInForce();
}

// A line too long for the window's width takes the room of a second one from the grid.
void TariffWindow::FitInForce() {
    const int height = std::max(InForceHeight, inForce_->heightForWidth(inForce_->width()));
    const int more = height - InForceHeight;
    findChild<QFrame*>(QStringLiteral("Panel2"))->resize(Width, GridPanelHeight - more);
    inForce_->setGeometry(8, InForceTop - more, Width - 16, height);
}

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
        // Tab walks the cells and, past the last one (Shift+Tab: before the first), leaves
        // the grid for the window's next control instead of starting over.
        const bool forward = key->key() == Qt::Key_Tab;
        if ((forward || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            const QModelIndex at = grid_->currentIndex();
            const int lastColumn = model_->columnCount() - 1;
            const bool atEnd = !at.isValid() || (forward ? at.row() == model_->rowCount() - 1 &&
                                                               at.column() == lastColumn
                                                         : at.row() == 0 && at.column() == 0);
            if (atEnd) {
                focusNextPrevChild(forward);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

#include "TariffWindow.moc"

void TariffWindow::showEvent(QShowEvent* event) {
    CentreOnScreen(this);
    QDialog::showEvent(event);
}
