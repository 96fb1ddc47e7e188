#include "RecordsPane.h"

#include "ObjectNames.h"
#include "SessionGrid.h"
#include "report/TrafficColumns.h"
#include "settings/ProgramSettings.h"
#include "storage/SessionModel.h"
#include "storage/SessionTable.h"
#include "ui/Artwork.h"
#include "ui/Navigator.h"
#include "ui/UiFonts.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QToolBar>

namespace {
// The delete button's big dash, drawn as the bar it is: the 40 px monospaced hyphen it
// showed would load a whole font face for one glyph.
class DashButton final : public QPushButton {
public:
    explicit DashButton(QWidget* parent) : QPushButton(QStringLiteral("-"), parent) {
        setFixedSize(89, 23);
    }
    QSize sizeHint() const override { return size(); }
    QSize minimumSizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear(); // the frame and the focus, without the label
        painter.drawControl(QStyle::CE_PushButton, option);
        // Where the hyphen's outline lay: 10.2 by 3.3 pixels, a little left of the middle
        // and just below it, its edges shaded as the font's were.
        QRectF bar(width() / 2.0 - 5.3, height() / 2.0 + 0.22, 10.17, 3.28);
        if (option.state & (QStyle::State_Sunken | QStyle::State_On))
            bar.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                          style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(bar, option.palette.color(option.state & QStyle::State_Enabled
                                                       ? QPalette::Normal
                                                       : QPalette::Disabled,
                                                   QPalette::ButtonText));
    }
};
} // namespace

RecordsPane::RecordsPane(QMainWindow& window, SessionTable& table, Dialogs& dialogs)
    : QObject(&window), window_(window), table_(table),
      dialogs_(dialogs), lastFont_{UiFonts::Font(UiFonts::SansFamilies(), 11),
                                   QApplication::palette().color(QPalette::WindowText)} {
    BuildToolBar(window);
    model_ = new SessionModel(table_, &window);
    grid_ = new SessionGrid(model_, &window);
    grid_->setObjectName(QString::fromLatin1(ObjectName::RecordsGrid));
    grid_->setAccessibleName(QStringLiteral("Записи о подключениях"));
    ShowTraffic(false);
    window.setCentralWidget(grid_);
    connect(model_, &SessionModel::ReadFailed, this, &RecordsPane::ReadFailed);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnCurrentRowChanged(current.row()); });
    // A reset (a new filter, or the model catching up with the table) keeps the table's
    // current row: a filter has put it on the first row already, a delete on the next one.
    connect(model_, &QAbstractItemModel::modelReset, this, &RecordsPane::FollowTableCursor);
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this] { navigator_->SetPosition(model_->CurrentRow(), model_->TotalRows()); });
    connect(navigator_, &Navigator::First, this, [this] { MoveToRow(0); });
    connect(navigator_, &Navigator::Prior, this, [this] { MoveToRow(model_->CurrentRow() - 1); });
    connect(navigator_, &Navigator::Next, this, [this] { MoveToRow(model_->CurrentRow() + 1); });
    connect(navigator_, &Navigator::Last, this, [this] { MoveToRow(model_->TotalRows() - 1); });
    MoveToRow(0);
    ReadTrafficSetting();
}

void RecordsPane::ReadTrafficSetting() {
    // A file that cannot be read is told by the spending watch, which reads it too.
    ProgramSettings settings(QFileInfo(table_.FilePath()).absolutePath());
    if (settings.Load())
        return;
    const TrafficColumnsRead read = ReadTrafficColumns(settings);
    ShowTraffic(read.on);
    if (read.problem) // once the window is up
        QTimer::singleShot(0, this,
                           [this, problem = *read.problem] { dialogs_.Error(&window_, problem); });
}

bool RecordsPane::TrafficColumns() const {
    return model_->TrafficShown();
}

void RecordsPane::SetTrafficColumns(bool on) {
    if (on == TrafficColumns())
        return;
    // The file as it is now, whoever wrote it last, with this one key changed.
    ProgramSettings settings(QFileInfo(table_.FilePath()).absolutePath());
    if (const auto problem = SaveTrafficColumns(settings, on)) {
        dialogs_.Error(&window_, *problem);
        return;
    }
    ShowTraffic(on);
    emit TrafficColumnsChanged(on);
}

void RecordsPane::ShowTraffic(bool on) {
    grid_->ShowTraffic(on);
    grid_->setAccessibleDescription(
        on ? QStringLiteral("Дата, время входа и выхода, продолжительность, тариф, сумма, "
                            "принятые и переданные мегабайты каждого подключения, новые сверху")
           : QStringLiteral("Дата, время входа и выхода, продолжительность, тариф и сумма каждого "
                            "подключения, новые сверху"));
}

RecordsPane::~RecordsPane() {
    // The grid and the model go after this object; what they say on the way is not for us.
    disconnect(model_, nullptr, this, nullptr);
    disconnect(grid_->selectionModel(), nullptr, this, nullptr);
}

void RecordsPane::BuildToolBar(QMainWindow& window) {
    auto* toolbar = new QToolBar(&window);
    toolbar->setObjectName(QString::fromLatin1(ObjectName::RecordsToolBar));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setFixedHeight(25);
    toolbar->setContentsMargins(0, 0, 0, 0);
    toolbar->setStyleSheet(
        QStringLiteral("QToolBar { background-color: rgb(185, 209, 234); border: 0px;"
                       " spacing: 0px; padding: 1px; }"));
    window.addToolBar(Qt::TopToolBarArea, toolbar);

    navigator_ = new Navigator(400, false, toolbar);
    navigator_->setObjectName(QString::fromLatin1(ObjectName::Navigator));
    toolbar->addWidget(navigator_);

    deleteButton_ = new DashButton(toolbar);
    deleteButton_->setObjectName(QString::fromLatin1(ObjectName::DeleteButton));
    deleteButton_->setToolTip(QStringLiteral("стереть запись"));
    deleteButton_->setAccessibleName(QStringLiteral("Стереть запись"));
    deleteButton_->setAccessibleDescription(
        QStringLiteral("Удаляет текущую запись о подключении; если задан пароль, сначала "
                       "спрашивает его"));
    connect(deleteButton_, &QPushButton::clicked, this, &RecordsPane::DeleteAsked);
    toolbar->addWidget(deleteButton_);

    // Only the top-left corner of the picture shows, unscaled.
    auto* picture = new QLabel(toolbar);
    picture->setObjectName(QString::fromLatin1(ObjectName::ToolBarPicture));
    picture->setFixedSize(112, 23);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(Artwork::ToolbarStrip());
    toolbar->addWidget(picture);
}

void RecordsPane::MoveToRow(int row) {
    const int count = model_->TotalRows();
    if (count == 0) {
        model_->SetCurrentRow(-1);
        navigator_->SetPosition(-1, 0);
        return;
    }
    row = std::clamp(row, 0, count - 1);
    model_->ShowThrough(row);
    const QModelIndex index = model_->index(row, std::max(0, grid_->currentIndex().column()));
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
    OnCurrentRowChanged(row);
}

void RecordsPane::OnCurrentRowChanged(int row) {
    // The grid's row is the table's current row: the one the delete button removes.
    if (row >= 0) {
        const qint64 id = model_->IdAt(row);
        if (id >= 0)
            table_.MoveTo(id);
    }
    model_->SetCurrentRow(row);
    navigator_->SetPosition(row, model_->TotalRows());
}

void RecordsPane::FollowTableCursor() {
    const auto id = table_.CurrentId();
    MoveToRow(id ? model_->RowOf(*id) : 0);
}

void RecordsPane::DeleteCurrent() {
    table_.DeleteCurrent();
    FollowTableCursor();
}

void RecordsPane::ChooseFormColour() {
    if (const auto color = dialogs_.ChooseColor(&window_, lastColor_)) {
        lastColor_ = *color;
        grid_->SetCellColor(*color);
    }
}

void RecordsPane::ChooseGridColour() {
    if (const auto color = dialogs_.ChooseColor(&window_, lastColor_)) {
        lastColor_ = *color;
        grid_->SetFixedColor(*color);
    }
}

void RecordsPane::ChooseFont() {
    if (const auto font = dialogs_.ChooseFont(&window_, lastFont_)) {
        lastFont_ = *font;
        grid_->SetTitleFont(*font);
    }
}
