// Helpers shared by the kit's sources; not for the rest of the program.
#pragma once

#include "vcl/Types.h"

#include <QColor>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vcl::detail {

// The screen colour of a TColor; system colours come from the application's palette.
// clDefault and clNone give an invalid colour.
QColor ToQColor(TColor color);

// The class library's key code of a Qt key (13 for Return and Enter, 122 for F11 ...).
WORD VkFromQtKey(int key);
int QtKeyFromVk(WORD vk);
TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
TMouseButton ButtonFromQt(Qt::MouseButton button);

// Average character width and height of a font in pixels, as the class library measures them
// for dialog units (the 52 letters A-Z, a-z).
void DialogUnits(const QFont& font, int& x, int& y);
// n * numerator / denominator, rounded half away from zero.
int MulDiv(int n, int numerator, int denominator);

} // namespace vcl::detail
