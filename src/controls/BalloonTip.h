#pragma once

#include "controls/OleColor.h"
#include "platform/basic/WakeTimer.h"

#include <cstdint>
#include <functional>
#include <memory>

#include <QPainterPath>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

// How a tip looks, fixed when it is made.
struct TipLook
{
    QString title;
    // 0 none, 1 information, 2 warning, 3 error; any other code shows no icon.
    std::int32_t icon = 0;
    bool balloon = false;
    // Centred under the owner instead of pointing at the mouse pointer.
    bool centred = false;
    OleColor backColor = SystemColor::kInfoBackground;
    OleColor foreColor = SystemColor::kInfoText;
};

// Where a tip lies on the screen: its window, and inside it (window coordinates) the body and
// the outline it is drawn and cut to (a rounded body with a stem for a balloon).
struct TipPlacement
{
    QRect window;
    QRect body;
    QPainterPath outline;
};

// The tooltip window of a drawn control: a frameless top-level tool window (Qt has no balloon
// tip) with a title in bold beside an icon we draw ourselves, and the text under them, in a
// rounded balloon with a stem pointing at the pointer, or in a plain rectangle below it.
//
// It watches its owner's mouse as the owner's child: made while the pointer is over the owner, it
// shows once the pointer has rested there kInitialDelayMs (every move starts the wait again) and
// hides after kVisibleMs. A button pressed on the owner, or the pointer leaving it, hides it for
// good: the owner makes a new tip on the next entry. An empty text never shows. The window takes
// no input and no focus, and never lies under the pointer that it points at, so it cannot take
// the hover away from its owner. UI thread only.
class BalloonTip : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kInitialDelayMs = 500;
    static constexpr int kVisibleMs = 5000;

    // Starts waiting at once: it is made while the pointer is over the owner.
    BalloonTip(QWidget* owner, const TipLook& look, std::unique_ptr<WakeTimer> timer);
    ~BalloonTip() override;

    QString text() const { return m_text; }

    // Shows at once in a tip that is up.
    void setText(const QString& text);

    // The tip's place for `content` pixels of title and text, pointing at `target` (global: the
    // pointer, or the owner when centred), kept on `screen`: just below the target when it fits,
    // else just above, so the window never overlaps the target. A balloon's stem points at the
    // target's left edge (its centre when centred) from near the body's left end, or from near
    // its right end where the body would leave the screen.
    static TipPlacement place(QSize content, QRect target, QRect screen, const TipLook& look);

    // Draws an icon code (1 information, 2 warning, 3 error) into a 16 x 16 box.
    static void drawIcon(QPainter& painter, QPoint topLeft, std::int32_t icon);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum class Phase { Waiting, Shown, Done };

    void wait();
    void popUp();
    void finish();
    QSize contentSize() const;
    QRect target() const;
    void applyPlacement();

    QWidget* m_owner;
    TipLook m_look;
    std::unique_ptr<WakeTimer> m_timer;
    QString m_text;
    Phase m_phase = Phase::Waiting;
    TipPlacement m_placement;
};
