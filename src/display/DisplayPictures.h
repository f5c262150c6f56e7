#pragma once

#include <QPixmap>

namespace korvex {

// Battery outline with plus and minus signs, 16 by 16 pixels, transparent around it.
QPixmap BatteryOutlinePicture();

// A computer linked by a cable to a handheld meter, 25 by 24 pixels. The two pictures differ only in
// their screens: white when lit (CONok), dark otherwise (CONokN), so swapping them blinks the screens.
QPixmap ConnectionPicture(bool screensLit);

}  // namespace korvex
