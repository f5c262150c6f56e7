#include "display/DisplayPictures.h"

#include <QPainter>

namespace korvex {

QPixmap BatteryOutlinePicture()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 4, 13, 8);             // body
    p.fillRect(14, 6, 2, 5, Qt::black);  // terminal cap
    p.drawLine(2, 8, 4, 8);              // minus sign
    p.drawLine(9, 8, 11, 8);             // plus sign
    p.drawLine(10, 7, 10, 9);
    return picture;
}

QPixmap ConnectionPicture(bool screensLit)
{
    const QColor outline(0, 0, 0);
    const QColor casing(192, 192, 192);
    const QColor shade(128, 128, 128);
    const QColor meterBody(255, 204, 0);
    const QColor screen = screensLit ? QColor(255, 255, 255) : QColor(0, 64, 64);

    QPixmap picture(25, 24);
    picture.fill(Qt::transparent);
    QPainter p(&picture);

    // Computer: monitor with its screen, neck and foot.
    p.setPen(outline);
    p.setBrush(casing);
    p.drawRect(0, 1, 14, 11);
    p.fillRect(2, 3, 11, 8, screen);
    p.fillRect(5, 13, 5, 2, shade);
    p.setBrush(casing);
    p.drawRect(2, 15, 11, 2);

    // Cable from the computer's foot to the meter's top.
    p.setPen(QColor(0, 0, 160));
    p.drawLine(13, 16, 15, 16);
    p.drawLine(15, 16, 15, 6);
    p.drawLine(15, 6, 19, 6);
    p.drawLine(19, 6, 19, 8);

    // Handheld meter: body, display window, dial and two sockets.
    p.setPen(outline);
    p.setBrush(meterBody);
    p.drawRect(16, 8, 8, 15);
    p.fillRect(18, 10, 5, 4, screen);
    p.setBrush(shade);
    p.drawEllipse(18, 15, 4, 4);
    p.fillRect(18, 21, 1, 1, outline);
    p.fillRect(21, 21, 1, 1, outline);
    return picture;
}

}  // namespace korvex
