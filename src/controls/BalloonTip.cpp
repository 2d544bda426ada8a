#include "controls/BalloonTip.h"

#include "controls/Canvas.h"
#include "controls/ControlFonts.h"
#include "controls/Guarded.h"

#include <algorithm>
#include <cmath>

#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Sizes in pixels.
constexpr int kStemHeight = 12;
constexpr int kStemWidth = 14;
// From the body's end to the stem's tip.
constexpr int kStemInset = 14;
constexpr int kRadius = 7;
constexpr int kIconSize = 16;
constexpr int kIconGap = 6;
constexpr int kTitleGap = 4;
// A standard pointer's height: a rectangular tip is shown below the pointer, not under it.
constexpr int kPointerHeight = 20;

QSize padding(const TipLook& look)
{
    return look.balloon ? QSize(10, 7) : QSize(3, 2);
}

bool hasIcon(std::int32_t icon)
{
    return icon >= 1 && icon <= 3;
}

bool hasTitleRow(const TipLook& look)
{
    return !look.title.isEmpty() || hasIcon(look.icon);
}

QFont textFont()
{
    return Canvas::pixelFont(defaultControlFont());
}

QFont titleFont()
{
    QFont font = textFont();
    font.setBold(true);
    return font;
}

QStringList textLines(const QString& text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return flat.split(QLatin1Char('\n'));
}

int titleRowHeight()
{
    return std::max(kIconSize, static_cast<int>(std::ceil(QFontMetricsF(titleFont()).height())));
}

} // namespace

BalloonTip::BalloonTip(QWidget* owner, const TipLook& look, std::unique_ptr<WakeTimer> timer)
    : QWidget(owner,
        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
            | Qt::WindowDoesNotAcceptFocus)
    , m_owner(owner)
    , m_look(look)
    , m_timer(timer ? std::move(timer) : makeQtWakeTimer())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_owner->installEventFilter(this);
    // One wake-up serves both waits: the delay before showing, then the time shown.
    m_timer->onWake = [this] {
        if (m_phase == Phase::Waiting)
            popUp();
        else if (m_phase == Phase::Shown)
            finish();
    };
    wait();
}

BalloonTip::~BalloonTip()
{
    m_timer->cancel();
}

void BalloonTip::setText(const QString& text)
{
    m_text = text;
    if (m_phase != Phase::Shown)
        return;
    if (m_text.isEmpty()) {
        finish();
        return;
    }
    applyPlacement();
    update();
}

bool BalloonTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_owner)
        return false;
    guarded("BalloonTip::watch", [&] {
        switch (event->type()) {
        case QEvent::MouseMove:
            if (m_phase == Phase::Waiting
                && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                wait();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Leave:
        case QEvent::Hide:
            finish();
            break;
        default:
            break;
        }
    });
    return false;
}

void BalloonTip::wait()
{
    m_timer->wakeAfter(kInitialDelayMs);
}

void BalloonTip::popUp()
{
    // An empty text shows nothing; the next move waits again in case a text has come.
    if (m_phase != Phase::Waiting || m_text.isEmpty())
        return;
    m_phase = Phase::Shown;
    applyPlacement();
    show();
    raise();
    m_timer->wakeAfter(kVisibleMs);
}

void BalloonTip::finish()
{
    m_timer->cancel();
    m_phase = Phase::Done;
    hide();
}

QSize BalloonTip::contentSize() const
{
    const QFontMetricsF text(textFont());
    double width = 0;
    double height = 0;
    if (hasTitleRow(m_look)) {
        double row = QFontMetricsF(titleFont()).horizontalAdvance(m_look.title);
        if (hasIcon(m_look.icon))
            row += kIconSize + (m_look.title.isEmpty() ? 0 : kIconGap);
        width = row;
        height = titleRowHeight() + kTitleGap;
    }
    const QStringList lines = textLines(m_text);
    for (const QString& line : lines)
        width = std::max(width, text.horizontalAdvance(line));
    height += lines.size() * text.height();
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

QRect BalloonTip::target() const
{
    if (m_look.centred)
        return QRect(m_owner->mapToGlobal(QPoint(0, 0)), m_owner->size());
    return QRect(QCursor::pos(), QSize(1, m_look.balloon ? 1 : kPointerHeight));
}

void BalloonTip::applyPlacement()
{
    const QScreen* screen = m_owner->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    m_placement = place(contentSize(), target(), area, m_look);
    setGeometry(m_placement.window);
    if (!m_look.balloon) {
        clearMask();
        return;
    }
    QBitmap mask(m_placement.window.size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(Qt::color1);
    painter.setBrush(Qt::color1);
    painter.drawPath(m_placement.outline);
    painter.end();
    setMask(mask);
}

TipPlacement BalloonTip::place(QSize content, QRect target, QRect screen, const TipLook& look)
{
    const QSize pad = padding(look);
    const QSize body = content + 2 * pad;
    const int stem = look.balloon ? kStemHeight : 0;
    const QSize size(body.width(), body.height() + stem);

    const bool fitsBelow = target.bottom() + size.height() <= screen.bottom();
    const bool fitsAbove = target.top() - size.height() >= screen.top();
    const bool below = fitsBelow || !fitsAbove;
    const int top = below ? target.bottom() + 1 : target.top() - size.height();

    const int anchorX = look.centred ? target.center().x() : target.left();
    int left = look.centred ? anchorX - size.width() / 2 : anchorX;
    bool stemAtRight = false;
    if (look.balloon && !look.centred) {
        left = anchorX - kStemInset;
        if (left + size.width() - 1 > screen.right()) {
            stemAtRight = true;
            left = anchorX - (size.width() - 1 - kStemInset);
        }
    }
    left =
        std::clamp(left, screen.left(), std::max(screen.left(), screen.right() - size.width() + 1));

    TipPlacement placement;
    placement.window = QRect(QPoint(left, top), size);
    placement.body = QRect(QPoint(0, below ? stem : 0), body);
    const QRectF edge = QRectF(placement.body).adjusted(0.5, 0.5, -0.5, -0.5);
    placement.outline.addRoundedRect(edge, look.balloon ? kRadius : 0, look.balloon ? kRadius : 0);
    if (!look.balloon)
        return placement;

    // The stem: its tip on the target, its base inside the body's edge, so the two join.
    // Held on the body even where the screen's edge keeps the body from reaching the target.
    const double tipX = std::clamp(anchorX - left, 1, std::max(1, size.width() - 2)) + 0.5;
    const double tipY = below ? 0.5 : size.height() - 0.5;
    const double baseY = below ? edge.top() + 1.5 : edge.bottom() - 1.5;
    double baseFrom = tipX;
    double baseTo = tipX + kStemWidth;
    if (look.centred) {
        baseFrom = tipX - kStemWidth / 2.0;
        baseTo = tipX + kStemWidth / 2.0;
    } else if (stemAtRight) {
        baseFrom = tipX - kStemWidth;
        baseTo = tipX;
    }
    QPainterPath stemPath;
    stemPath.moveTo(tipX, tipY);
    stemPath.lineTo(baseTo, baseY);
    stemPath.lineTo(baseFrom, baseY);
    stemPath.closeSubpath();
    placement.outline = placement.outline.united(stemPath);
    return placement;
}

void BalloonTip::paintEvent(QPaintEvent*)
{
    guarded("BalloonTip::paintEvent", [&] {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink = toQColor(m_look.foreColor);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(toQColor(m_look.backColor));
        painter.drawPath(m_placement.outline);

        const QPoint origin =
            m_placement.body.topLeft() + QPoint(padding(m_look).width(), padding(m_look).height());
        int y = origin.y();
        if (hasTitleRow(m_look)) {
            const int row = titleRowHeight();
            int x = origin.x();
            if (hasIcon(m_look.icon)) {
                drawIcon(painter, QPoint(x, y + (row - kIconSize) / 2), m_look.icon);
                x += kIconSize + kIconGap;
            }
            painter.setPen(ink);
            painter.setFont(titleFont());
            painter.drawText(
                QRect(x, y, width() - x, row), Qt::AlignLeft | Qt::AlignVCenter, m_look.title);
            y += row + kTitleGap;
        }
        painter.setPen(ink);
        painter.setFont(textFont());
        const QFontMetricsF metrics(textFont());
        for (const QString& line : textLines(m_text)) {
            painter.drawText(QPointF(origin.x(), y + metrics.ascent()), line);
            y += static_cast<int>(std::ceil(metrics.height()));
        }
    });
}

void BalloonTip::drawIcon(QPainter& painter, QPoint topLeft, std::int32_t icon)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(topLeft);
    const QColor white(255, 255, 255);
    switch (icon) {
    case 1: // information: a white "i" on a blue disc
        painter.setPen(QPen(QColor(20, 70, 150), 1));
        painter.setBrush(QColor(40, 110, 210));
        painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        painter.setPen(Qt::NoPen);
        painter.setBrush(white);
        painter.drawEllipse(QPointF(8, 4.5), 1.4, 1.4);
        painter.drawRect(QRectF(6.9, 7, 2.2, 6));
        break;
    case 2: // warning: a black "!" on a yellow triangle
        painter.setPen(QPen(QColor(130, 95, 0), 1));
        painter.setBrush(QColor(250, 200, 30));
        painter.drawPolygon(QPolygonF({ QPointF(8, 0.5), QPointF(15.5, 15), QPointF(0.5, 15) }));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0));
        painter.drawRect(QRectF(7.1, 5, 1.8, 5.5));
        painter.drawEllipse(QPointF(8, 12.6), 1.1, 1.1);
        break;
    case 3: // error: a white cross on a red disc
        painter.setPen(QPen(QColor(140, 20, 20), 1));
        painter.setBrush(QColor(215, 35, 35));
        painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        painter.setPen(QPen(white, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(5, 5), QPointF(11, 11));
        painter.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    default:
        break;
    }
    painter.restore();
}
