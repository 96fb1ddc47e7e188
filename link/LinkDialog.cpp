#include "LinkDialog.h"

#include "InterfaceKind.h"
#include "LinkRows.h"
#include "accounting/ConnectionProbe.h"
#include "ui/Artwork.h"
#include "ui/Contrast.h"
#include "ui/Dialogs.h"
#include "ui/Keyboard.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
enum Column { Box, Name, Kind, Addresses, Carrier, MeteredFlag, Counted, ColumnCount };

// The interfaces as they were when last read: the dialog's own questions never differ
// between the lookups of one decision.
class Snapshot final : public InterfaceSource {
public:
    explicit Snapshot(const QList<NetInterface>& list) : list_(list) {}
    std::optional<QList<NetInterface>> Interfaces(bool withIpv6) override {
        if (withIpv6)
            return list_;
        QList<NetInterface> cheap;
        for (NetInterface each : list_)
            if (!each.ipv4.isEmpty()) {
                each.ipv6.clear();
                cheap << each;
            }
        return cheap;
    }

private:
    const QList<NetInterface>& list_;
};
} // namespace

LinkDialog::LinkDialog(CountedLink& link, Dialogs& dialogs, QWidget* parent, TimerMaker& timers)
    : QDialog(parent), link_(link), dialogs_(dialogs), modes_(new QButtonGroup(this)),
      patterns_(new QLineEdit(this)), note_(new QLabel(this)), table_(new QTableWidget(this)),
      live_(new QLabel(this)), refresh_(timers.Make(RefreshMsecs, [this] { Refresh(); })) {
    setObjectName(QStringLiteral("LinkDialog"));
    setWindowTitle(QStringLiteral("Подключение"));
    setWindowIcon(Artwork::ApplicationIcon());
    resize(760, 420);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Какое подключение считать:"), this));
    const std::pair<LinkMode, const char*> choices[] = {
        {LinkMode::All, "все подключения с &адресом (как прежде)"},
        {LinkMode::Chosen, "&только выбранные ниже (имена и шаблоны вроде ppp*, wwan*)"},
        {LinkMode::Metered, "только &лимитные, как их отмечает диспетчер сети"},
    };
    for (const auto& [mode, text] : choices) {
        auto* button = new QRadioButton(QString::fromUtf8(text), this);
        button->setObjectName(QStringLiteral("Mode_") + ModeWord(mode));
        modes_->addButton(button, int(mode));
        layout->addWidget(button);
    }
    auto* patternsLine = new QHBoxLayout;
    auto* patternsLabel = new QLabel(QStringLiteral("&Выбранные:"), this);
    patternsLabel->setBuddy(patterns_);
    patternsLine->addWidget(patternsLabel);
    patterns_->setObjectName(QStringLiteral("Patterns"));
    patterns_->setAccessibleName(QStringLiteral("Выбранные"));
    patterns_->setAccessibleDescription(
        QStringLiteral("Имена интерфейсов через запятую; * заменяет любые знаки"));
    patterns_->setPlaceholderText(QStringLiteral("например: ppp*, wwan*, usb0"));
    patternsLine->addWidget(patterns_);
    layout->addLayout(patternsLine);
    note_->setObjectName(QStringLiteral("Note"));
    note_->setWordWrap(true);
    layout->addWidget(note_);

    SetUpTable();
    layout->addWidget(table_, 1);

    live_->setObjectName(QStringLiteral("Live"));
    QFont bold = live_->font();
    bold.setBold(true);
    live_->setFont(bold);
    layout->addWidget(live_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("Ок"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setDefault(true); // Enter confirms from any field
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("Cancel"));
    layout->addWidget(buttons);
    Contrast::FixColours(this, Contrast::FormColour, Qt::black);
    Keyboard::AssignAccessKeys(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LinkDialog::Accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(modes_, &QButtonGroup::idClicked, this, [this] { Decide(); });
    connect(patterns_, &QLineEdit::textChanged, this, [this] {
        if (!filling_)
            FillTable(shown_);
    });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_ && item->column() == Box)
            OnBoxChanged(item->row());
    });
    connect(&link_.NetworkManager(), &NetworkManagerFlags::Changed, this, [this] {
        if (isVisible())
            FillTable(shown_);
    });
}

LinkDialog::~LinkDialog() = default;

void LinkDialog::SetUpTable() {
    table_->setObjectName(QStringLiteral("Interfaces"));
    table_->setAccessibleName(QStringLiteral("Интерфейсы"));
    table_->setAccessibleDescription(
        QStringLiteral("Отмеченные интерфейсы считаются подключением"));
    // Tab leaves the table for the buttons; the arrows move between its rows, Space checks.
    table_->setTabKeyNavigation(false);
    table_->setColumnCount(ColumnCount);
    table_->setHorizontalHeaderLabels({QString(), QStringLiteral("Имя"), QStringLiteral("Вид"),
                                       QStringLiteral("Адреса"), QStringLiteral("Несущая"),
                                       QStringLiteral("Лимитное"), QStringLiteral("Считается")});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(Addresses, QHeaderView::Stretch);
}

void LinkDialog::showEvent(QShowEvent* event) {
    // Each opening starts from the choice in force.
    SetMode(link_.Choice().mode());
    filling_ = true;
    patterns_->setText(link_.Choice().patterns().join(QStringLiteral(", ")));
    filling_ = false;
    Refresh();
    refresh_->Enable();
    QDialog::showEvent(event);
    // The keyboard starts at the mode in force, not in the table.
    modes_->checkedButton()->setFocus(Qt::TabFocusReason);
}

void LinkDialog::hideEvent(QHideEvent* event) {
    refresh_->Disable();
    QDialog::hideEvent(event);
}

void LinkDialog::SetMode(LinkMode mode) {
    modes_->button(int(mode))->setChecked(true);
    Decide();
}

LinkChoice LinkDialog::Pending() const {
    return LinkChoice(LinkMode(std::max(0, modes_->checkedId())), PatternsOf({patterns_->text()}));
}

QString LinkDialog::LiveText() const {
    return live_->text();
}

void LinkDialog::Refresh() {
    const auto interfaces = link_.Interfaces().Interfaces(true);
    const QList<NetInterface> list = interfaces.value_or(QList<NetInterface>{});
    if (list != shown_ || table_->rowCount() != list.size())
        FillTable(list);
    else
        Decide();
}

void LinkDialog::FillTable(const QList<NetInterface>& interfaces) {
    shown_ = interfaces;
    const LinkChoice choice = Pending();
    const QList<LinkRow> rows =
        LinkRows(shown_, choice, link_.NetworkManager(), [](const NetInterface& each) {
            return InterfaceKind(each.name, each.loopback, ReadInterfaceFacts(each.name));
        });
    filling_ = true;
    table_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const LinkRow& row = rows[r];
        auto* box = new QTableWidgetItem;
        box->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        box->setCheckState(row.listed ? Qt::Checked : Qt::Unchecked);
        table_->setItem(r, Box, box);
        const QString texts[] = {row.name, row.kind, row.addresses, row.carrier, row.metered};
        for (int c = Name; c <= MeteredFlag; ++c)
            table_->setItem(r, c, new QTableWidgetItem(texts[c - Name]));
    }
    filling_ = false;
    Decide();
}

void LinkDialog::OnBoxChanged(int row) {
    const QString name = table_->item(row, Name)->text();
    QStringList patterns = PatternsOf({patterns_->text()});
    if (table_->item(row, Box)->checkState() == Qt::Checked) {
        if (!LinkChoice(LinkMode::Chosen, patterns).Lists(name))
            patterns << name;
    } else {
        patterns.removeAll(name); // a pattern that still fits keeps it checked
    }
    filling_ = true;
    patterns_->setText(patterns.join(QStringLiteral(", ")));
    filling_ = false;
    if (modes_->checkedId() != int(LinkMode::Chosen))
        modes_->button(int(LinkMode::Chosen))->setChecked(true);
    // Redrawn even when the text stays: a pattern that still fits keeps the box checked.
    FillTable(shown_);
}

void LinkDialog::Decide() {
    const LinkChoice choice = Pending();
    NetworkManagerFlags& metered = link_.NetworkManager();
    for (int r = 0; r < table_->rowCount() && r < shown_.size(); ++r) {
        const bool counts = !CountedAddresses({shown_[r]}, choice, metered).isEmpty();
        filling_ = true;
        table_->setItem(
            r, Counted,
            new QTableWidgetItem(counts ? QStringLiteral("да") : QStringLiteral("нет")));
        filling_ = false;
    }
    if (choice.mode() == LinkMode::Metered && !metered.Answers())
        note_->setText(QStringLiteral("Диспетчер сети NetworkManager не отвечает: лимитными "
                                      "считаются подключения ppp*, wwan* и wwp*."));
    else if (choice.mode() == LinkMode::Chosen && choice.patterns().isEmpty())
        note_->setText(QStringLiteral("Ничего не выбрано: ни одно подключение не будет "
                                      "считаться."));
    else
        note_->clear();
    note_->setVisible(!note_->text().isEmpty());
    patterns_->setEnabled(choice.mode() == LinkMode::Chosen);

    Snapshot snapshot(shown_);
    LinkAddresses addresses(
        snapshot, [&]() -> MeteredFlags& { return metered; }, choice);
    ConnectionProbe probe(addresses);
    live_->setText(probe.IsConnected() ? QStringLiteral("Сейчас: подключено")
                                       : QStringLiteral("Сейчас: нет подключения"));
}

void LinkDialog::Accept() {
    if (const auto trouble = link_.Save(Pending())) {
        dialogs_.Error(this, *trouble);
        return;
    }
    accept();
}
