#include "controls/Canvas.h"

#include "controls/ControlFonts.h"
#include "platform/basic/Conversions.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include <QFontMetricsF>
#include <QPainter>

namespace {

// Pixel coordinates far outside any image are held here, so that rounding and Bresenham's
// arithmetic stay in range whatever a caller passes (a huge or not-a-number coordinate).
constexpr double kFarAway = 1 << 24;

int toPixel(double v)
{
    if (!(v > -kFarAway))
        return static_cast<int>(-kFarAway);
    if (!(v < kFarAway))
        return static_cast<int>(kFarAway);
    return static_cast<int>(roundHalfEven(v));
}

} // namespace

Canvas::Canvas()
    : m_font(defaultControlFont())
{}

Canvas::~Canvas() = default;

void Canvas::resizeImage(int width, int height)
{
    m_size = QSize(std::max(width, 0), std::max(height, 0));
    sync();
}

void Canvas::sync() const
{
    const QSize size = targetSize().expandedTo(QSize(0, 0));
    if (m_image.size() == size)
        return;
    QImage next(size, m_seeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    next.fill(backFill());
    if (!m_image.isNull() && !next.isNull()) {
        QPainter painter(&next);
        painter.drawImage(0, 0, m_image);
    }
    m_image = std::move(next);
}

int Canvas::scaleWidth() const
{
    sync();
    return m_image.width();
}

int Canvas::scaleHeight() const
{
    sync();
    return m_image.height();
}

QImage& Canvas::image()
{
    sync();
    return m_image;
}

const QImage& Canvas::image() const
{
    sync();
    return m_image;
}

void Canvas::setUserScale(double width, double height)
{
    const bool valid = width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height);
    m_userWidth = valid ? width : 0;
    m_userHeight = valid ? height : 0;
}

QSizeF Canvas::userScale() const
{
    if (m_userWidth > 0)
        return { m_userWidth, m_userHeight };
    sync();
    return m_image.size();
}

double Canvas::unitX() const
{
    return m_userWidth > 0 ? targetSize().width() / m_userWidth : 1.0;
}

double Canvas::unitY() const
{
    return m_userHeight > 0 ? targetSize().height() / m_userHeight : 1.0;
}

void Canvas::setDrawWidth(int width)
{
    m_drawWidth = std::max(width, 1);
}

void Canvas::setCurrentPoint(double x, double y)
{
    m_currentX = x;
    m_currentY = y;
}

void Canvas::setSeeThrough(bool seeThrough)
{
    m_seeThrough = seeThrough;
    // The image takes the new format now; what is drawn on it is kept.
    if (!m_image.isNull())
        m_image = m_image.convertToFormat(
            seeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QColor Canvas::backFill() const
{
    return m_seeThrough ? QColor(Qt::transparent) : toQColor(m_backColor);
}

void Canvas::clear()
{
    sync();
    m_image.fill(backFill());
    if (!m_picture.isNull() && !m_image.isNull()) {
        QPainter painter(&m_image);
        painter.drawImage(0, 0, m_picture);
    }
    setCurrentPoint(0, 0);
}

void Canvas::setPixel(double x, double y, OleColor color)
{
    sync();
    const int px = toPixel(x * unitX());
    const int py = toPixel(y * unitY());
    if (m_image.valid(px, py))
        m_image.setPixel(px, py, toQColor(color).rgb());
    setCurrentPoint(x, y);
}

std::optional<OleColor> Canvas::pixel(double x, double y) const
{
    sync();
    const int px = toPixel(x * unitX());
    const int py = toPixel(y * unitY());
    if (!m_image.valid(px, py))
        return std::nullopt;
    return fromQColor(QColor(m_image.pixel(px, py)));
}

void Canvas::plotLine(int x1, int y1, int x2, int y2, const QColor& color)
{
    // Bresenham, stopping one pixel short of the end as GDI does.
    const QRgb rgb = color.rgb();
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        if (m_image.valid(x, y))
            m_image.setPixel(x, y, rgb);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void Canvas::line(double x1, double y1, double x2, double y2, OleColor color)
{
    sync();
    const QColor c = toQColor(color);
    const QPoint from(toPixel(x1 * unitX()), toPixel(y1 * unitY()));
    const QPoint to(toPixel(x2 * unitX()), toPixel(y2 * unitY()));
    if (m_drawWidth == 1) {
        plotLine(from.x(), from.y(), to.x(), to.y(), c);
    } else if (!m_image.isNull()) {
        QPainter painter(&m_image);
        painter.setPen(QPen(c, m_drawWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(from, to);
    }
    setCurrentPoint(x2, y2);
}

void Canvas::lineTo(double x2, double y2, OleColor color)
{
    line(m_currentX, m_currentY, x2, y2, color);
}

void Canvas::box(double x1, double y1, double x2, double y2, OleColor color, BoxFill fill)
{
    sync();
    int left = toPixel(x1 * unitX());
    int top = toPixel(y1 * unitY());
    int right = toPixel(x2 * unitX());
    int bottom = toPixel(y2 * unitY());
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    setCurrentPoint(x2, y2);
    if (m_image.isNull())
        return;
    const QRect all(QPoint(left, top), QPoint(right, bottom));
    QPainter painter(&m_image);
    const QColor c = toQColor(color);
    if (fill == BoxFill::Filled) {
        painter.fillRect(all, c);
        return;
    }
    if (m_fillStyle == FillStyle::Solid)
        painter.fillRect(all, toQColor(m_fillColor));
    // The pen lies inside the box, so a wide border never grows it.
    const int w = std::min({ m_drawWidth, all.width(), all.height() });
    painter.fillRect(QRect(left, top, all.width(), w), c);
    painter.fillRect(QRect(left, bottom - w + 1, all.width(), w), c);
    painter.fillRect(QRect(left, top, w, all.height()), c);
    painter.fillRect(QRect(right - w + 1, top, w, all.height()), c);
}

void Canvas::circle(double centreX, double centreY, double radius, OleColor color)
{
    sync();
    setCurrentPoint(centreX, centreY);
    if (m_image.isNull() || !(std::abs(radius) < kFarAway))
        return;
    QPainter painter(&m_image);
    paintCircle(painter, centreX, centreY, radius, toQColor(color),
        m_fillStyle == FillStyle::Solid ? std::optional(toQColor(m_fillColor)) : std::nullopt);
}

void Canvas::circleFrom(const QImage& source, double centreX, double centreY, double radius)
{
    sync();
    setCurrentPoint(centreX, centreY);
    if (m_image.isNull() || source.isNull() || !(std::abs(radius) < kFarAway))
        return;
    // The disc drawn opaque on a clear image, then the source kept only where the disc is.
    QImage disc(m_image.size(), QImage::Format_ARGB32_Premultiplied);
    disc.fill(Qt::transparent);
    {
        QPainter painter(&disc);
        paintCircle(painter, centreX, centreY, radius, Qt::black, QColor(Qt::black));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.drawImage(0, 0, source);
    }
    QPainter painter(&m_image);
    painter.drawImage(0, 0, disc);
}

void Canvas::paintCircle(QPainter& painter,
    double centreX,
    double centreY,
    double radius,
    const QColor& outline,
    std::optional<QColor> fill) const
{
    painter.setPen(QPen(outline, m_drawWidth));
    if (fill)
        painter.setBrush(*fill);
    const double r = std::abs(std::round(radius * unitX()));
    painter.drawEllipse(QPointF(toPixel(centreX * unitX()), toPixel(centreY * unitY())), r, r);
}

QFont Canvas::pixelFont(const QFont& font)
{
    if (font.pointSizeF() <= 0)
        return font;
    QFont scaled = font;
    scaled.setPixelSize(
        std::max(1, static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0))));
    return scaled;
}

void Canvas::print(const QString& text)
{
    sync();
    const QFont drawn = pixelFont(m_font);
    const QFontMetricsF metrics(drawn);
    if (!m_image.isNull()) {
        QPainter painter(&m_image);
        painter.setFont(drawn);
        painter.setPen(toQColor(m_foreColor));
        painter.drawText(
            QPointF(m_currentX * unitX(), m_currentY * unitY() + metrics.ascent()), text);
    }
    setCurrentPoint(0, m_currentY + metrics.height() / unitY());
}

QRect Canvas::inkRect(const QString& text) const
{
    const QFont drawn = pixelFont(m_font);
    const QFontMetricsF metrics(drawn);
    // Printed alone into a scratch image at the same fraction of a pixel, so that the
    // antialiasing comes out as it would on the canvas; the margin takes overhanging glyphs.
    const int margin = static_cast<int>(std::ceil(metrics.height())) + 2;
    const double x = std::isfinite(m_currentX) ? m_currentX * unitX() : 0;
    const double y = std::isfinite(m_currentY) ? m_currentY * unitY() : 0;
    if (std::abs(x) >= kFarAway || std::abs(y) >= kFarAway)
        return {};
    const double wholeX = std::floor(x);
    const double wholeY = std::floor(y);
    const QSize size(static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + 2 * margin,
        2 * margin + static_cast<int>(std::ceil(metrics.height())));
    QImage scratch(size, QImage::Format_RGB32);
    scratch.fill(Qt::black);
    {
        QPainter painter(&scratch);
        painter.setFont(drawn);
        painter.setPen(Qt::white);
        painter.drawText(
            QPointF(margin + (x - wholeX), margin + (y - wholeY) + metrics.ascent()), text);
    }
    QRect ink;
    for (int row = 0; row < scratch.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(row));
        for (int col = 0; col < scratch.width(); ++col) {
            if ((line[col] & 0xFFFFFFu) != 0)
                ink |= QRect(col, row, 1, 1);
        }
    }
    return ink.translated(static_cast<int>(wholeX) - margin, static_cast<int>(wholeY) - margin);
}

double Canvas::textWidth(const QString& text) const
{
    return QFontMetricsF(pixelFont(m_font)).horizontalAdvance(text) / unitX();
}

double Canvas::textHeight(const QString&) const
{
    return QFontMetricsF(pixelFont(m_font)).height() / unitY();
}
