// The pictures the windows carry, drawn by the program itself: header-band buttons, language
// flags, the frames of the wait animation and the result window's background.
#pragma once

#include <QPixmap>

namespace pictures {

QPixmap SyncClock(int w, int h);
QPixmap Firmware(int w, int h);
QPixmap DataLog(int w, int h);
QPixmap OpenGridSet(int w, int h);
QPixmap SaveGridSet(int w, int h);
// The protocol switch: towards the standard register map, or back to the native one.
QPixmap ProtocolToStandard(int w, int h);
QPixmap ProtocolToNative(int w, int h);
QPixmap FlagEnglish(int w, int h);
QPixmap FlagGerman(int w, int h);
QPixmap FlagFrench(int w, int h);
// Frame 0..2 of the busy animation (a ring of dots with a moving bright arc).
QPixmap WaitFrame(int frame, int w, int h);
// Tree node pictures: the root, an inverter, the current inverter.
QPixmap TreeRoot(int w, int h);
QPixmap TreeInverter(int w, int h, bool current);
// Vertical shades one row at a time from (200, 250, 255) down: `step` less red and green per
// row (taken as 8-bit values), `rows` rows painted, the rest left clear.
QPixmap Shades(int w, int h, int step, int rows);
// Soft background of the result window.
QPixmap ResultBackground(int w, int h);

} // namespace pictures
