#pragma once

#include "BagOf.h"
#include "controls/BalloonTip.h"
#include "controls/DrawSurface.h"
#include "controls/GGCommand.h"
#include "controls/PropertyBag.h"
#include "platform/basic/FakeWakeClock.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <QCursor>
#include <QTest>

#include <gtest/gtest.h>

// A gradient button on a shown window, its events logged in order (MouseMove only counted), its
// tips on a timer the test fires. The pointer starts away from the button.
struct Button
{
    // Declared before the window, which raises MouseExit as it closes and whose tips hold wake-ups
    // of the timer.
    QStringList events;
    int moves = 0;
    std::unique_ptr<FakeWakeClock> timer = std::make_unique<FakeWakeClock>();
    QWidget window;
    GGCommand* gg = nullptr;
    DrawSurface* face = nullptr;

    explicit Button(const PropertyBag& bag = PropertyBag(), QSize size = { 60, 20 })
    {
        window.resize(220, 120);
        window.move(100, 100);
        gg = new GGCommand(&window);
        gg->setObjectName(QStringLiteral("GGCommand1"));
        gg->setGeometry(QRect(QPoint(20, 30), size));
        gg->setTipTimerFactory(timer->factory());
        gg->load(bag);
        // The pointer is global: take it off the window's place before the window shows.
        QCursor::setPos(QPoint(10, 10));
        window.show();
        // The offscreen pointer enters and leaves only windows that are exposed.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        face = gg->findChild<DrawSurface*>();
        log();
    }

    // MouseDown and MouseUp are logged with their button, "MouseDown 1".
    void log()
    {
        for (const auto& [signal, name] :
            { std::pair { &GGCommand::Click, "Click" }, { &GGCommand::DblClick, "DblClick" },
                { &GGCommand::MouseEnter, "MouseEnter" }, { &GGCommand::MouseExit, "MouseExit" } })
            QObject::connect(gg, signal, [this, name] {
                events << QString::fromLatin1(name);
            });
        for (const auto& [signal, name] : { std::pair { &GGCommand::MouseDown, "MouseDown %1" },
                 { &GGCommand::MouseUp, "MouseUp %1" }, { &GGCommand::MouseMove, "" } })
            QObject::connect(
                gg, signal, [this, name](std::int16_t& b, std::int16_t&, float&, float&) {
                    if (*name)
                        events << QString::fromLatin1(name).arg(b);
                    else
                        ++moves;
                });
    }

    QPoint centre() const { return face->rect().center(); }

    // Right of the button, still on the window.
    QPoint outside() const { return QPoint(face->width() + 40, face->height() / 2); }

    void hover(QPoint at) { QTest::mouseMove(face, at); }

    void hover() { hover(centre()); }

    void press(Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(face, b, {}, centre()); }

    void release(Qt::MouseButton b = Qt::LeftButton, QPoint at = {})
    {
        QTest::mouseRelease(face, b, {}, at.isNull() ? centre() : at);
    }

    // A move with a button held goes to the pressed widget wherever it is, as under Qt's grab.
    void drag(QPoint at) { QTest::mouseMove(face, at); }

    OleColor pixel(int x, int y) const { return face->pixel(x, y).value_or(0xFFFFFFFFu); }

    // The one-pixel border: raised (hover), sunken (pressed) or flat (anything else).
    std::string border() const
    {
        const OleColor left = pixel(0, face->height() / 2);
        const OleColor right = pixel(face->width() - 1, face->height() / 2);
        if (left == 0xFFFFFF && right == 0x808080)
            return "raised";
        if (left == 0x808080 && right == 0xFFFFFF)
            return "sunken";
        return "flat";
    }

    BalloonTip* tip() const { return face->findChild<BalloonTip*>(); }

    // Runs the tip's wake-up that is due next.
    void fireTip() { ASSERT_TRUE(timer->fireNext()) << "no tip timer is running"; }

    // The events since the last take, joined by ", ".
    std::string take()
    {
        const QString seen = events.join(QStringLiteral(", "));
        events.clear();
        return seen.toStdString();
    }
};

// The bounding box of the pixels of one colour on the face; empty when there are none.
inline QRect inkBox(const Button& b, OleColor ink)
{
    QRect box;
    for (int y = 0; y < b.face->height(); ++y) {
        for (int x = 0; x < b.face->width(); ++x) {
            if (b.pixel(x, y) == ink)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// A solid glyph of a given size (black, fully opaque).
inline QImage solidGlyph(int w, int h)
{
    QImage glyph(w, h, QImage::Format_ARGB32);
    glyph.fill(Qt::black);
    return glyph;
}

inline void PrintTo(const QRect& r, std::ostream* out)
{
    *out << '(' << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height() << ')';
}
