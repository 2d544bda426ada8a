#include "controls/BalloonTip.h"
#include "controls/DrawSurface.h"
#include "controls/GGCommand.h"
#include "controls/Guarded.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QEvent>

// Qt grabs the mouse for the widget a button went down on until the last button comes up, and
// tells a widget when the pointer enters and leaves it; the button never grabs the mouse itself.
// While no button is held, a move outside never reaches it, so leaving is seen as a Leave event.

bool GGCommand::emitGuarded(const char* where, const std::function<void()>& emitIt)
{
    const QPointer<GGCommand> alive(this);
    guarded(where, emitIt);
    return !alive.isNull();
}

bool GGCommand::pointInside(double x, double y) const
{
    const int W = picGG->scaleWidth();
    const int H = picGG->scaleHeight();
    // The right and bottom edges count as inside.
    if (!(x >= 0 && y >= 0 && x <= W && y <= H))
        return false;
    // Another window over the point hides the button there. Tips take no input and do not count;
    // a platform that cannot tell which window lies at a point (nullptr) hides nothing.
    const QPoint local(std::clamp(static_cast<int>(std::lround(x)), 0, std::max(W - 1, 0)),
        std::clamp(static_cast<int>(std::lround(y)), 0, std::max(H - 1, 0)));
    const QWidget* top = QApplication::widgetAt(picGG->mapToGlobal(local));
    return top == nullptr || top == picGG || top->window()->windowType() == Qt::ToolTip;
}

bool GGCommand::pointerInsideNow(double x, double y) const
{
    const QPointF cursor = picGG->mapFromGlobal(QPointF(QCursor::pos()));
    return pointInside(x, y) && pointInside(cursor.x(), cursor.y());
}

bool GGCommand::enterHover()
{
    if (!m_toolTip.isEmpty())
        CreateToolTip();
    if (!emitGuarded("GGCommand::MouseEnter", [this] {
            emit MouseEnter();
        }))
        return false;
    if (m_useHoverProperties)
        withHoverLook([this] {
            CalcLayout();
            DrawFace(m_faceOffset, false);
        });
    DrawBorder(1);
    m_hoverActive = true;
    return true;
}

bool GGCommand::leaveHover()
{
    if (!emitGuarded("GGCommand::MouseExit", [this] {
            emit MouseExit();
        }))
        return false;
    DestroyToolTip();
    m_clickArmed = false;
    CalcLayout();
    DrawFace(0, false);
    m_hoverActive = false;
    DrawBorder(0);
    return true;
}

void GGCommand::onMouseDown(int button, int shift, float x, float y)
{
    m_pressActive = true;
    m_clickArmed = true;
    auto b = static_cast<std::int16_t>(button);
    auto s = static_cast<std::int16_t>(shift);
    if (!emitGuarded("GGCommand::MouseDown", [&] {
            emit MouseDown(b, s, x, y);
        }))
        return;
    if (b == 1) {
        withHoverLook([this] {
            CalcLayout();
            DrawFace(1, m_useGradientFill && m_gradientInverseOnPress);
        });
        CalcLayout();
        DrawBorder(2);
    }
    m_hoverActive = true;
}

void GGCommand::onMouseMove(int button, int shift, float x, float y)
{
    if (!pointInside(x, y)) {
        // Moves outside arrive only under Qt's press grab: they are the button's while it counts
        // the pointer as inside, and the first one ends that, unless a press is held on purpose.
        if (!m_hoverActive)
            return;
        if (!(m_dontReleaseCapture && m_pressActive) && !leaveHover())
            return;
    } else if (!m_hoverActive) {
        if (!enterHover())
            return;
    }
    auto b = static_cast<std::int16_t>(button);
    auto s = static_cast<std::int16_t>(shift);
    emitGuarded("GGCommand::MouseMove", [&] {
        emit MouseMove(b, s, x, y);
    });
}

void GGCommand::onMouseUp(int button, int shift, float x, float y)
{
    m_pressActive = false;
    const float atX = x;
    const float atY = y;
    // The release of a press that was cancelled outside is not the button's any more.
    if (!m_hoverActive && !pointInside(atX, atY)) {
        m_clickArmed = false;
        return;
    }
    auto b = static_cast<std::int16_t>(button);
    auto s = static_cast<std::int16_t>(shift);
    if (b == 1 && m_clickArmed) {
        if (!emitGuarded("GGCommand::Click", [this] {
                emit Click();
            }))
            return;
    }
    m_clickArmed = false;
    if (!emitGuarded("GGCommand::MouseUp", [&] {
            emit MouseUp(b, s, x, y);
        }))
        return;
    // A handler may have run a menu or a dialog meanwhile: the pointer may be elsewhere now, and
    // a Leave seen in the meantime may already have ended the hover.
    if (!pointerInsideNow(atX, atY)) {
        if (m_hoverActive)
            leaveHover();
        return;
    }
    if (!m_hoverActive) {
        enterHover();
        return;
    }
    if (b == 1) {
        withHoverLook([this] {
            CalcLayout();
            DrawFace(0, false);
        });
        CalcLayout();
        DrawBorder(1);
    }
    m_hoverActive = true;
}

void GGCommand::onGotFocus()
{
    if (m_pressActive) {
        m_pressActive = false;
        return;
    }
    DrawBorder(1);
    DrawBorder(0);
}

void GGCommand::onLostFocus()
{
    DrawFace(0, false);
    DrawBorder(0);
}

bool GGCommand::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != picGG)
        return false;
    guarded("GGCommand::enterLeave", [&] {
        switch (event->type()) {
        case QEvent::Enter:
            if (picGG->isEnabled() && !m_hoverActive) {
                const QPointF p = static_cast<QEnterEvent*>(event)->position();
                if (pointInside(p.x(), p.y()))
                    enterHover();
            }
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            if (m_hoverActive && !(m_dontReleaseCapture && m_pressActive))
                leaveHover();
            break;
        default:
            break;
        }
    });
    return false;
}

void GGCommand::CreateToolTip()
{
    if (m_tipWindow)
        DestroyToolTip();
    TipLook look;
    look.title = m_toolTipTitle;
    look.icon = m_toolTipIcon;
    look.balloon = m_toolTipStyle == 1;
    look.centred = m_toolTipCentered;
    look.backColor = m_toolTipBackColor;
    look.foreColor = m_toolTipForeColor;
    m_tipWindow = new BalloonTip(picGG, look, m_makeTipTimer ? m_makeTipTimer() : nullptr);
    m_tipWindow->setText(m_toolTip);
}

void GGCommand::DestroyToolTip()
{
    delete m_tipWindow.data();
    m_tipWindow = nullptr;
}
