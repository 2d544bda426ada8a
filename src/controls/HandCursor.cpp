#include "controls/HandCursor.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

QCursor pointingHandCursor()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::white);
        // Outline clockwise from the left side of the finger: the fingertip, the knuckles of
        // the three folded fingers, the wrist and the thumb.
        const QPolygon hand({
            { 4, 1 }, { 5, 0 }, { 6, 0 }, { 7, 1 }, { 7, 8 }, // index finger
            { 8, 7 }, { 9, 7 }, { 10, 8 }, // middle finger
            { 11, 8 }, { 12, 8 }, { 13, 9 }, // ring finger
            { 14, 9 }, { 15, 9 }, { 16, 10 }, { 16, 18 }, // little finger, outer edge
            { 14, 21 }, { 14, 23 }, { 6, 23 }, { 6, 21 }, // wrist
            { 2, 16 }, { 1, 13 }, { 1, 12 }, { 2, 11 }, { 3, 11 }, { 4, 12 }, // thumb
        });
        painter.drawPolygon(hand);
        // Creases between the folded fingers.
        painter.drawLine(7, 9, 7, 12);
        painter.drawLine(10, 9, 10, 12);
        painter.drawLine(13, 10, 13, 12);
    }
    return QCursor(picture, 5, 0);
}
