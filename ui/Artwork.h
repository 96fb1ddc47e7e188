#pragma once
// The program's own pictures, drawn in code: the application icon, the menu and navigator
// icons, and the artwork from which the two decorative JPEG pictures were made.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRect>

namespace Artwork {

enum class MenuPicture { Report, Tariff, FormColour, TableColour, FontColour };
enum class NavigatorPicture { First, Prior, Next, Last, Delete };

QIcon ApplicationIcon();
QImage ApplicationImage(int size); // one size of the icon above
QIcon MenuIcon(MenuPicture picture);
QIcon NavigatorIcon(NavigatorPicture picture);
QIcon OkIcon();
// "More": two arrowheads pointing along the bar, for the menu bar's overflow button.
QIcon ChevronIcon(Qt::Orientation orientation);

// One of the decorative JPEG pictures built into the program: "toolbar" or "about".
QPixmap Picture(const QString& name);
// The part of "toolbar" the toolbar shows, kept decoded beside it as a PNG: read without
// an image plugin and without decoding the rest.
inline constexpr QRect ToolbarStripRect(0, 0, 112, 23);
QPixmap ToolbarStrip();

// The artwork behind app/pictures/toolbar.jpg (298 x 280) and about.jpg (100 x 52).
QImage ToolbarArtwork();
QImage AboutArtwork();

} // namespace Artwork
