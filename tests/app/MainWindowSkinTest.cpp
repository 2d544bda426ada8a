#include "app/MainWindowSkin.h"

#include "MainWindowRig.h"
#include "app/Skin.h"

#include <QMenu>
#include <QWindow>

#include <gtest/gtest.h>

// The pointer on the main window, as the platform delivers it: every event goes to the window
// at a point of it, and the window finds the control under the point.

namespace {

constexpr QPoint kBackground(5, 200); // the skin, with no control over it

QPoint centreOf(std::string_view control)
{
    return skinPlace(control).center();
}

// A point of the dial's frame, where the drag area lies over it, and the dial face's centre.
const QPoint kDragArea = skinPlace("Image17").topLeft() + QPoint(2, 60);
const QPoint kDialFace = centreOf("AnalogClock1");

struct Pointer
{
    void move(QPoint at) { QTest::mouseMove(window, at); }

    void press(Qt::MouseButton button, QPoint at) { QTest::mousePress(window, button, {}, at); }

    void release(Qt::MouseButton button, QPoint at) { QTest::mouseRelease(window, button, {}, at); }

    void click(Qt::MouseButton button, QPoint at)
    {
        move(at);
        press(button, at);
        release(button, at);
    }

    QWindow* window;
};

// The popup menu that shows, closed again; null when none shows.
QMenu* takePopup()
{
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu)
        menu->close();
    return menu;
}

} // namespace

TEST(MainWindowSkin, EachPlaceShowsItsMenu)
{
    struct Case
    {
        const char* where;
        Qt::MouseButton button;
        QPoint at;
        const char16_t* menu; // nullptr: no menu
    };

    const Case cases[] = {
        { "background, right", Qt::RightButton, kBackground, u"mnurazno" },
        { "drag area, right", Qt::RightButton, kDragArea, u"mnurazno" },
        { "Pitch", Qt::LeftButton, centreOf("GGCommand1"), u"mnupitch00" },
        { "Beat", Qt::LeftButton, centreOf("GGCommand2"), u"mnubeat00" },
        { "Misc", Qt::LeftButton, centreOf("GGCommand3"), u"mnuflam" },
        { "Poly", Qt::LeftButton, centreOf("GGCommand4"), u"mnupoly00" },
        { "background, middle", Qt::MiddleButton, kBackground, nullptr },
        { "dial face, right", Qt::RightButton, kDialFace, nullptr },
        { "mode word, right", Qt::RightButton, centreOf("lblcd"), nullptr },
        { "Pitch, right", Qt::RightButton, centreOf("GGCommand1"), nullptr },
    };
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Pointer pointer { rig.window().windowHandle() };
    const QPoint windowAt = rig.window().pos();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        pointer.move(c.at);
        pointer.press(c.button, c.at);
        QMenu* shown = takePopup();
        pointer.release(c.button, c.at);
        if (!shown)
            shown = takePopup();
        QMenu* expected = c.menu ? rig.flam().menus().menu(c.menu) : nullptr;
        ASSERT_TRUE(!c.menu || expected);
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(rig.window().pos(), windowAt);
    }
}

TEST(MainWindowSkin, StartStopEntryFollowsThePlayStopImageOnBothSpots)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Pointer pointer { rig.window().windowHandle() };
    MenuEntry& mstop = *rig.flam().menus().entry(u"mstop");
    // The background's menu once offered Stop greyed while the beat played: both spots now make
    // the entry available whenever the play/stop image shows.
    const auto expectMstop = [&](const char* state, const char* caption, bool available) {
        for (const QPoint spot : { kBackground, kDragArea }) {
            SCOPED_TRACE(testing::Message() << state << " at " << spot.x() << "," << spot.y());
            // The other spot's showing must not decide this one's flags.
            mstop.setAvailable(!available);
            pointer.press(Qt::RightButton, spot);
            EXPECT_NE(takePopup(), nullptr);
            pointer.release(Qt::RightButton, spot);
            takePopup();
            EXPECT_EQ(mstop.caption(), QString::fromLatin1(caption));
            EXPECT_EQ(mstop.available(), available);
        }
    };
    expectMstop("no tempo", "&Start Metronome", false);
    rig.dragDialTo(40);
    expectMstop("running", "&Stop Metronome", true);
    mstop.action()->trigger();
    EXPECT_FALSE(rig.metronome().running());
    expectMstop("stopped", "&Start Metronome", true);
    rig.dragDialTo(0);
    expectMstop("no tempo again", "&Start Metronome", false);
}

TEST(MainWindowSkin, ButtonsOpenTheirWindowsAndHandTheKeysBackToTheSkin)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.window().activateWindow();
    MainWindowMouse& mouse = rig.window().skin().mouse();
    Pointer pointer { rig.window().windowHandle() };
    rig.dragDialTo(40);
    rig.calls.clear();

    // The piano button shows its pressed picture and opens the piano on the release, wherever.
    pointer.move(centreOf("imKlavir"));
    pointer.press(Qt::LeftButton, centreOf("imKlavir"));
    EXPECT_EQ(mouse.imKlavir(), ShownPicture::Image25);
    EXPECT_TRUE(rig.metronome().running());
    pointer.release(Qt::LeftButton, kBackground);
    EXPECT_EQ(mouse.imKlavir(), ShownPicture::Image24);
    EXPECT_FALSE(rig.metronome().running());
    EXPECT_EQ(rig.calls.first(), QStringLiteral("stani"));
    EXPECT_EQ(rig.calls.last(), QStringLiteral("show:piano"));

    rig.calls.clear();
    for (const char* button : { "GGCommand2", "GGCommand5", "GGCommand6", "Image23" }) {
        SCOPED_TRACE(button);
        pointer.click(Qt::LeftButton, centreOf(button));
        takePopup();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), rig.control("Picture1"));
    }
    pointer.click(Qt::RightButton, centreOf("Image23"));
    rig.flam().menus().entry(u"mnuabout")->action()->trigger();
    EXPECT_EQ(rig.calls.filter(QStringLiteral("show:")),
        QStringList({ "show:frmRec", "show:frmMp3", "show:frmabout", "show:frmabout" }));

    pointer.click(Qt::LeftButton, centreOf("GGCommand8"));
    EXPECT_TRUE(rig.window().isMinimized());
    rig.window().showNormal();
    EXPECT_EQ(rig.window().size(), QSize(236, 423));
    // Closing asks the windows that may refuse first, then ends every sound and step.
    rig.key(Qt::Key_Return);
    ASSERT_TRUE(rig.stepping());
    rig.calls.clear();
    pointer.click(Qt::LeftButton, centreOf("GGCommand7"));
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(rig.calls, QStringList({ "queryQuit", "stani2", "txtmidi=" }));
}
