#pragma once
// Readable text on the backgrounds the program fixes. A fixed background keeps its colour
// under any desktop colour scheme, so its text colour is fixed with it: the one asked for
// when it reads well enough there, else black or white, whichever reads better.

#include <QColor>

class QWidget;

namespace Contrast {

constexpr double Enough = 4.5; // the least ratio for ordinary text
// The pale blue of the program's dialogs, fixed whatever the desktop's colours.
inline const QColor FormColour{185, 209, 234};

double Luminance(const QColor& color);          // relative, 0 (black) to 1 (white)
double Ratio(const QColor& a, const QColor& b); // 1 to 21, the same either way round
QColor ReadableOn(const QColor& background, const QColor& wanted);

// The widget paints `background` behind itself and its children, and its text (and its
// children's, unless they fix their own) in ReadableOn(background, text).
void FixColours(QWidget* widget, const QColor& background, const QColor& text);
// Only the text colour, for a widget drawn on `background` it does not paint itself.
void FixText(QWidget* widget, const QColor& background, const QColor& text);

} // namespace Contrast
