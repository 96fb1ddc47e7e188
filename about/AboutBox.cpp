#include "AboutBox.h"

#include "AboutFacts.h"
#include "Author.h"
#include "platform/MachineFacts.h"
#include "ui/Artwork.h"
#include "ui/Centred.h"
#include "ui/Contrast.h"
#include "ui/Keyboard.h"
#include "ui/TextFit.h"
#include "ui/UiFonts.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {
const QColor CaptionGradient(185, 209, 234);

QLabel* Label(QWidget* parent, const char* name, const QRect& geometry, const QString& text,
              const QFont& font, const QColor& color, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignTop);
    Contrast::FixText(label, CaptionGradient, color);
    return label;
}

QFont Plain(int pixels, bool bold = false) {
    return UiFonts::Font(UiFonts::SansFamilies(), pixels, bold);
}
} // namespace

AboutBox::AboutBox(MachineFacts& facts, std::function<void(const QUrl&)> openUrl, QWidget* parent)
    : QDialog(parent), facts_(facts), openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Немного об Kelvora и её создателе"));
    setWindowIcon(Artwork::ApplicationIcon());
    setFixedSize(494, 249);
    setCursor(Qt::WhatsThisCursor);
    Contrast::FixColours(this, CaptionGradient, Qt::white);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, 494, 217);
    panel->setFrameStyle(QFrame::Panel | QFrame::Plain);
    panel->setLineWidth(1);

    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(8, 8, 100, 52);
    picture->setPixmap(Artwork::Picture(QStringLiteral("about")));

    const QColor windowColor = Qt::white; // the window colour of the classic scheme
    QFont title = UiFonts::Font(UiFonts::SerifFamilies(), 27, true);
    QLabel* name = Label(panel, "Label1", {112, 8, 377, 36}, QStringLiteral("Kelvora"), title,
                         windowColor, Qt::AlignHCenter);
    Contrast::FixColours(name, Qt::black, windowColor);
    name->setToolTip(QStringLiteral("это пока только первая версия"));

    QLabel* version = Label(panel, "Label2", {112, 48, 377, 16}, QStringLiteral("Версия 1.0"),
                            Plain(13, true), windowColor, Qt::AlignHCenter);
    Contrast::FixColours(version, Qt::red, windowColor);

    Label(panel, "Label3", {8, 72, 481, 25}, QStringLiteral("Автор - ") + Author::Name, Plain(16),
          windowColor, Qt::AlignHCenter);

    QFont link = Plain(16);
    link.setUnderline(true);
    mail_ = Label(panel, "Label4", {8, 104, 185, 25}, QStringLiteral("e-mail: ") + Author::Mail,
                  link, windowColor);
    TextFit::Fit(mail_, 248 - 8 - 8); // up to the site line, whole
    mail_->setCursor(Qt::PointingHandCursor);
    mail_->setToolTip(QStringLiteral("мыло автора"));
    mail_->setAccessibleDescription(QStringLiteral("Написать письмо автору"));
    mail_->installEventFilter(this);
    site_ = Label(panel, "Label5", {248, 104, 201, 25}, Author::SiteText, link, windowColor,
                  Qt::AlignHCenter);
    site_->setToolTip(QStringLiteral("сайт автора"));
    site_->setAccessibleDescription(QStringLiteral("Открыть сайт автора"));
    site_->installEventFilter(this);
    site_->setCursor(Qt::PointingHandCursor);

    Label(panel, "Label6", {8, 136, 185, 25}, QStringLiteral("Операционная система"),
          Plain(13, true), windowColor);
    Label(panel, "Label7", {8, 160, 153, 25}, QStringLiteral("Физическая память"), Plain(13, true),
          Qt::white);
    Label(panel, "Label10", {8, 184, 177, 25}, QStringLiteral("Пользователь"), Plain(13, true),
          Qt::white);
    system_ = Label(panel, "Label8", {248, 136, 0, 0}, {}, Plain(13, true), windowColor);
    memory_ = Label(panel, "Label9", {248, 160, 0, 0}, {}, Plain(13, true), windowColor);
    owner_ = Label(panel, "Label11", {248, 184, 0, 0}, {}, Plain(13, true), windowColor);

    auto* ok = new QPushButton(Artwork::OkIcon(), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(224, 224, 75, 25);
    ok->setDefault(true);
    ok->setToolTip(QStringLiteral("жми, чтобы выйти"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    Keyboard::AssignAccessKeys(this);
}

void AboutBox::FillInFacts() {
    memory_->setText(MemoryText(facts_.PhysicalMemoryBytes()));
    system_->setText(facts_.OperatingSystem());
    owner_->setText(facts_.RegisteredOwner());
    for (QLabel* label : {memory_, system_, owner_})
        label->adjustSize(); // sized to its text
}

void AboutBox::WriteToAuthor() {
    openUrl_(QUrl(QStringLiteral("mailto:") + Author::Mail));
}

void AboutBox::OpenAuthorSite() {
    openUrl_(QUrl(Author::Site));
}

void AboutBox::showEvent(QShowEvent* event) {
    CentreOnScreen(this);
    FillInFacts();
    QDialog::showEvent(event);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == mail_)
            WriteToAuthor();
        else if (watched == site_)
            OpenAuthorSite();
    }
    return QDialog::eventFilter(watched, event);
}
