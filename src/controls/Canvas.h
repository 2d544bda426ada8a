#pragma once

#include "controls/OleColor.h"

#include <optional>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSizeF>
#include <QString>

class QPainter;

// A persistent drawing surface in pixels: what is drawn stays in the image until drawn over, and
// a widget shows it on its next refresh (DrawSurface). It draws the way the controls were
// designed against: x grows right and y down; fractional coordinates round to the nearest pixel,
// halves to even; shapes are not antialiased.
//
// - Colours are OleColor numbers, translated when drawn (system colours from the fixed classic
//   palette).
// - A one-pixel line leaves its end point out; a filled box covers both corners.
// - Drawing with the current state: foreColor for text, fillColor and fillStyle for the inside
//   of outlined boxes and circles, drawWidth for the pen of lines, boxes and circles.
// - Text is printed with its top-left corner at the current point, which then moves to the start
//   of the next line (x 0, y + text height).
// - Fonts are sized in points at 96 pixels per inch whatever the screen says (8.25 pt = 11 px),
//   so the layouts come out as designed.
//
// UI thread only. Nothing here throws; a zero-sized canvas draws nothing and reads no pixel.
class Canvas
{
public:
    enum class FillStyle { Solid, Transparent };
    enum class BoxFill { Outline, Filled };

    Canvas();
    virtual ~Canvas();

    // Grows or shrinks the image; what fits stays, new pixels take backColor.
    void resizeImage(int width, int height);
    int scaleWidth() const;
    int scaleHeight() const;
    // For composing with QPainter (composition modes stand for raster operations).
    QImage& image();
    const QImage& image() const;

    OleColor backColor() const { return m_backColor; }

    // Takes effect at the next clear().
    void setBackColor(OleColor color) { m_backColor = color; }

    // A see-through canvas takes no backColor: what is not drawn on (and the see-through parts
    // of its picture) stays transparent, so a round control shows the window around it. Takes
    // effect at the next clear().
    void setSeeThrough(bool seeThrough);

    bool seeThrough() const { return m_seeThrough; }

    OleColor foreColor() const { return m_foreColor; }

    void setForeColor(OleColor color) { m_foreColor = color; }

    OleColor fillColor() const { return m_fillColor; }

    void setFillColor(OleColor color) { m_fillColor = color; }

    FillStyle fillStyle() const { return m_fillStyle; }

    void setFillStyle(FillStyle style) { m_fillStyle = style; }

    int drawWidth() const { return m_drawWidth; }

    // Widths below 1 are taken as 1.
    void setDrawWidth(int width);

    // Named apart from QWidget's font: a DrawSurface is both.
    const QFont& textFont() const { return m_font; }

    void setTextFont(const QFont& font) { m_font = font; }

    double currentX() const { return m_currentX; }

    double currentY() const { return m_currentY; }

    void setCurrentPoint(double x, double y);

    // A picture the canvas shows under what is drawn, as a picture box shows its picture: clear()
    // brings it back. Null for none.
    void setPicture(const QImage& picture) { m_picture = picture; }

    // A scale of the canvas's own: it is `width` units across and `height` down, whatever its
    // pixels. Coordinates, the current point, circle radii and text extents are then in those
    // units; pen widths stay pixels. Any size that is not positive goes back to pixels.
    void setUserScale(double width, double height);
    // The canvas's size in its units: its pixels unless a user scale is set.
    QSizeF userScale() const;

    // Fills everything with backColor, then shows the picture from the top-left corner; the
    // current point goes to (0, 0).
    void clear();
    void setPixel(double x, double y, OleColor color);
    // The &H00BBGGRR colour of a pixel; nullopt outside the image.
    std::optional<OleColor> pixel(double x, double y) const;
    // From (x1, y1) to (x2, y2), which becomes the current point.
    void line(double x1, double y1, double x2, double y2, OleColor color);
    // From the current point on.
    void lineTo(double x2, double y2, OleColor color);
    // Outline: the border in `color`, the inside by fillStyle/fillColor. Filled: all in `color`.
    void box(double x1, double y1, double x2, double y2, OleColor color, BoxFill fill);
    // The outline in `color`, the inside by fillStyle/fillColor.
    void circle(double centreX, double centreY, double radius, OleColor color);
    // Paints `source` (an image of the canvas's size) through the shape a filled circle() would
    // cover, its outline's pen included: what was drawn there before comes back.
    void circleFrom(const QImage& source, double centreX, double centreY, double radius);
    void print(const QString& text);
    // The pixels print(text) would colour from the current point: the ink, antialiasing
    // included, which may reach beyond the text's cell or stop short of it. Empty for no ink.
    QRect inkRect(const QString& text) const;
    double textWidth(const QString& text) const;
    double textHeight(const QString& text) const;

    // The font as it is drawn: the point size turned into whole pixels at 96 per inch.
    static QFont pixelFont(const QFont& font);

protected:
    // The size the image must have; a widget gives its own size, which Qt changes at once even
    // while the widget is hidden and its resize event is still pending.
    virtual QSize targetSize() const { return m_size; }

private:
    // With no brush when `fill` is empty.
    void paintCircle(QPainter& painter,
        double centreX,
        double centreY,
        double radius,
        const QColor& outline,
        std::optional<QColor> fill) const;
    void plotLine(int x1, int y1, int x2, int y2, const QColor& color);
    // Pixels per unit across and down.
    double unitX() const;
    double unitY() const;
    // Brings the image to targetSize() before it is drawn on or read.
    void sync() const;

    QSize m_size { 0, 0 };
    mutable QImage m_image;
    // What clear() and new pixels are filled with.
    QColor backFill() const;

    OleColor m_backColor = SystemColor::kButtonFace;
    bool m_seeThrough = false;
    OleColor m_foreColor = SystemColor::kButtonText;
    OleColor m_fillColor = 0;
    FillStyle m_fillStyle = FillStyle::Transparent;
    int m_drawWidth = 1;
    QFont m_font;
    QImage m_picture;
    double m_userWidth = 0;
    double m_userHeight = 0;
    double m_currentX = 0;
    double m_currentY = 0;
};
