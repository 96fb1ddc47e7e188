#include "Artwork.h"

#include <QIconEngine>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>

// Resources of a static library are registered by hand, outside any namespace.
static void RegisterPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace Artwork {
namespace {

const QColor Navy(0, 0, 128);
const QColor Sky(166, 202, 240);
const QColor Ink(40, 40, 60);
// A light rim around the dark strokes keeps them visible on a dark panel.
const QColor Rim(232, 234, 242);

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A globe with two meridians and the equator: the Internet.
void DrawGlobe(QPainter& p, const QRectF& r) {
    QRadialGradient sea(r.center() - QPointF(r.width() * 0.2, r.height() * 0.2), r.width() * 0.7);
    sea.setColorAt(0, QColor(120, 190, 255));
    sea.setColorAt(1, QColor(20, 70, 170));
    p.setBrush(sea);
    p.setPen(QPen(Navy, std::max(1.0, r.width() / 24)));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(230, 240, 255), std::max(1.0, r.width() / 28)));
    p.drawEllipse(r.adjusted(r.width() * 0.3, 0, -r.width() * 0.3, 0));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
}

// A clock face in the lower right: time on line costs money.
void DrawClock(QPainter& p, const QRectF& r) {
    p.setBrush(QColor(255, 250, 220));
    p.setPen(QPen(QColor(150, 60, 0), std::max(1.0, r.width() / 10)));
    p.drawEllipse(r);
    p.setPen(QPen(QColor(150, 60, 0), std::max(1.0, r.width() / 9), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.center(), r.center() + QPointF(0, -r.height() * 0.32));
    p.drawLine(r.center(), r.center() + QPointF(r.width() * 0.26, 0));
}

// A 16 px picture drawn when it is first shown: a menu's pictures cost nothing until the
// menu first opens. Once drawn it is an ordinary icon of that pixmap, greyed by the style
// when disabled.
class PaintedIcon final : public QIconEngine {
public:
    explicit PaintedIcon(std::function<void(QPainter&)> draw) : draw_(std::move(draw)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Drawn().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Drawn().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return size.boundedTo(QSize(Side, Side));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {{Side, Side}}; }
    QIconEngine* clone() const override { return new PaintedIcon(*this); }

private:
    static constexpr int Side = 16;
    const QIcon& Drawn() {
        if (drawn_.isNull()) {
            QImage image = Blank(Side, Side);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            draw_(p);
            p.end();
            drawn_ = QIcon(QPixmap::fromImage(image));
        }
        return drawn_;
    }

    std::function<void(QPainter&)> draw_;
    QIcon drawn_;
};

QIcon FromPainter(std::function<void(QPainter&)> draw) {
    return QIcon(new PaintedIcon(std::move(draw)));
}

} // namespace

QImage ApplicationImage(int size) {
    QImage image = Blank(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    DrawGlobe(p, QRectF(s * 0.04, s * 0.04, s * 0.78, s * 0.78));
    DrawClock(p, QRectF(s * 0.52, s * 0.52, s * 0.46, s * 0.46));
    return image;
}

namespace {
// The program's icon in three sizes, each drawn when first asked for: a platform that shows
// no window icon (or shows only one size) never pays for the others.
class ApplicationIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Drawn(rect.size()).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Drawn(size).pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({size.width(), size.height(), Sizes.back()});
        return QSize(side, side);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : Sizes)
            sizes << QSize(side, side);
        return sizes;
    }
    QIconEngine* clone() const override { return new ApplicationIconEngine(*this); }

private:
    static constexpr std::array<int, 3> Sizes = {16, 32, 48};
    // The drawn sizes, with the one that best serves `size` among them.
    const QIcon& Drawn(const QSize& size) {
        int side = Sizes.back();
        for (int each : Sizes)
            if (each >= std::max(size.width(), size.height())) {
                side = each;
                break;
            }
        if (!drawn_.availableSizes().contains(QSize(side, side)))
            drawn_.addPixmap(QPixmap::fromImage(ApplicationImage(side)));
        return drawn_;
    }

    QIcon drawn_;
};
} // namespace

QIcon ApplicationIcon() {
    // One engine for every window of the program.
    static const QIcon icon(new ApplicationIconEngine);
    return icon;
}

QIcon MenuIcon(MenuPicture picture) {
    return FromPainter([picture](QPainter& p) {
        switch (picture) {
        case MenuPicture::Report: // a printed sheet with lines
            p.setPen(QPen(Ink, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 1.5, 9, 13));
            for (int y = 4; y <= 11; y += 2)
                p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
            break;
        case MenuPicture::Tariff: // a coin
            p.setPen(QPen(QColor(140, 90, 0), 1.2));
            p.setBrush(QColor(250, 200, 40));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.setPen(QPen(QColor(140, 90, 0), 1.6));
            p.drawLine(QPointF(6.5, 4), QPointF(6.5, 12));
            p.drawArc(QRectF(4.5, 4, 6, 4.5), -90 * 16, 180 * 16);
            p.drawLine(QPointF(5, 10.5), QPointF(9.5, 10.5));
            break;
        case MenuPicture::FormColour: // a filled swatch
            p.setPen(QPen(Ink, 1));
            p.setBrush(Navy);
            p.drawRect(QRectF(2.5, 2.5, 11, 11));
            p.setBrush(Sky);
            p.drawRect(QRectF(5.5, 5.5, 5, 5));
            break;
        case MenuPicture::TableColour: // a small grid with a coloured title row
            p.setPen(QPen(Ink, 1));
            p.setBrush(QColor(0, 255, 255));
            p.drawRect(QRectF(1.5, 2.5, 13, 3));
            p.setBrush(Navy);
            p.drawRect(QRectF(1.5, 5.5, 13, 8));
            p.setPen(QPen(Qt::white, 1));
            p.drawLine(QPointF(6, 6), QPointF(6, 13));
            p.drawLine(QPointF(10, 6), QPointF(10, 13));
            break;
        case MenuPicture::FontColour: { // the letter A over a colour bar
            QFont font(QStringLiteral("DejaVu Serif"));
            font.setPixelSize(12);
            font.setBold(true);
            QPainterPath letter;
            letter.addText(0, 0, font, QStringLiteral("A"));
            const QRectF box = letter.boundingRect();
            letter.translate(8 - box.center().x(), 6 - box.center().y());
            p.setPen(QPen(Rim, 1.6));
            p.setBrush(Ink);
            p.drawPath(letter);
            p.setPen(QPen(Rim, 1));
            p.setBrush(QColor(128, 0, 128));
            p.drawRect(QRectF(2, 12, 12, 3));
            break;
        }
        }
    });
}

QIcon ChevronIcon(Qt::Orientation orientation) {
    return FromPainter([orientation](QPainter& p) {
        if (orientation == Qt::Vertical) { // pointing down
            p.translate(16, 0);
            p.rotate(90);
        }
        for (const double x : {3.5, 8.5}) {
            QPainterPath head;
            head.moveTo(x, 4);
            head.lineTo(x + 4, 8);
            head.lineTo(x, 12);
            p.strokePath(head, QPen(Rim, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.strokePath(head, QPen(Ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
    });
}

QIcon NavigatorIcon(NavigatorPicture picture) {
    return FromPainter([picture](QPainter& p) {
        p.setPen(QPen(Rim, 1));
        p.setBrush(Ink);
        if (picture == NavigatorPicture::Delete) { // a minus sign
            p.drawRect(QRectF(3, 7, 10, 2.4));
            return;
        }
        const bool backwards =
            picture == NavigatorPicture::First || picture == NavigatorPicture::Prior;
        QPainterPath arrow;
        if (backwards) {
            arrow.moveTo(11, 3);
            arrow.lineTo(5, 8);
            arrow.lineTo(11, 13);
        } else {
            arrow.moveTo(5, 3);
            arrow.lineTo(11, 8);
            arrow.lineTo(5, 13);
        }
        arrow.closeSubpath();
        p.drawPath(arrow);
        if (picture == NavigatorPicture::First)
            p.drawRect(QRectF(3, 3, 1.6, 10));
        if (picture == NavigatorPicture::Last)
            p.drawRect(QRectF(11.4, 3, 1.6, 10));
    });
}

QIcon OkIcon() {
    QImage image = Blank(18, 18);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 130, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3, 9.5), QPointF(7.5, 14), QPointF(15, 4)}));
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

QPixmap Picture(const QString& name) {
    static const bool registered = (RegisterPictures(), true);
    Q_UNUSED(registered);
    // Read as JPEG by name and never guessed, so that no other image plugin is loaded: a
    // reader that may guess asks every plugin on the machine first, even when told.
    QImageReader reader(QStringLiteral(":/pictures/%1.jpg").arg(name), "jpeg");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QPixmap ToolbarStrip() {
    static const bool registered = (RegisterPictures(), true);
    Q_UNUSED(registered);
    QImageReader reader(QStringLiteral(":/pictures/toolbar-strip.png"), "png");
    reader.setAutoDetectImageFormat(false); // Qt's own PNG reader, no plugin
    return QPixmap::fromImage(reader.read());
}

QImage ToolbarArtwork() {
    QImage image(298, 280, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 298, 280);
    sky.setColorAt(0, QColor(20, 40, 120));
    sky.setColorAt(0.5, QColor(70, 130, 210));
    sky.setColorAt(1, Sky);
    p.fillRect(image.rect(), sky);
    // A band of signal waves across the top: the part the toolbar shows.
    for (int i = 0; i < 4; ++i) {
        QPainterPath wave;
        wave.moveTo(0, 6 + i * 4);
        for (int x = 0; x <= 298; x += 2)
            wave.lineTo(x, 6 + i * 4 + 3.5 * std::sin((x + i * 9) / 9.0));
        p.setPen(QPen(QColor::fromHsv(40 + i * 25, 160, 255), 1.3));
        p.drawPath(wave);
    }
    for (int x = 8; x < 298; x += 23) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 230, 120));
        p.drawEllipse(QPointF(x, 11 + 5 * std::sin(x / 17.0)), 1.6, 1.6);
    }
    DrawGlobe(p, QRectF(60, 60, 180, 180));
    DrawClock(p, QRectF(180, 170, 90, 90));
    return image;
}

QImage AboutArtwork() {
    QImage image(100, 52, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 100, 52);
    sky.setColorAt(0, QColor(20, 40, 120));
    sky.setColorAt(1, QColor(90, 150, 220));
    p.fillRect(image.rect(), sky);
    DrawGlobe(p, QRectF(8, 4, 44, 44));
    DrawClock(p, QRectF(56, 14, 30, 30));
    p.setPen(QPen(QColor(255, 230, 120), 1.2));
    for (int i = 0; i < 3; ++i)
        p.drawArc(QRectF(84 - i * 6, 20 - i * 6, 12 + i * 12, 12 + i * 12), -40 * 16, 80 * 16);
    return image;
}

} // namespace Artwork
