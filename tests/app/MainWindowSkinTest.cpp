#include "app/MainWindowSkin.h"

#include "MainWindowRig.h"
#include "app/Skin.h"
#include "controls/AnalogClock.h"
#include "controls/GGCommand.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

// The pointer on the main window, as the platform delivers it: every event goes to the window
// at a point of it, and the window finds the control under the point.

namespace {

constexpr QPoint kBackground(5, 200); // the skin, with no control over it

QRect placeOf(std::string_view control)
{
    for (const SkinPlace& place : kSkinPlaces) {
        if (place.control == control)
            return place.rect;
    }
    return {};
}

// A point of the dial's frame, where the drag area lies over it, and the dial face's centre.
const QPoint kDragArea = placeOf("Image17").topLeft() + QPoint(2, 60);
const QPoint kDialFace = placeOf("AnalogClock1").center();

QPoint centreOf(const char* control)
{
    return placeOf(control).center();
}

class Pointer
{
public:
    explicit Pointer(MainWindowRig& rig)
        : m_window(rig.window().windowHandle())
    {}

    void move(QPoint at) { QTest::mouseMove(m_window, at); }

    void press(Qt::MouseButton button, QPoint at) { QTest::mousePress(m_window, button, {}, at); }

    void release(Qt::MouseButton button, QPoint at)
    {
        QTest::mouseRelease(m_window, button, {}, at);
    }

    void click(Qt::MouseButton button, QPoint at)
    {
        move(at);
        press(button, at);
        release(button, at);
    }

private:
    QWindow* m_window;
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
    Pointer pointer(rig);
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
    struct Case
    {
        const char* state;
        const char* background;
        const char* dragArea;
        bool available;
    };

    // The background's menu once offered Stop greyed while the beat played: both spots now make
    // the entry available whenever the play/stop image shows.
    const Case cases[] = {
        { "no tempo", "&Start Metronome", "&Start Metronome", false },
        { "running", "&Stop Metronome", "&Stop Metronome", true },
        { "stopped", "&Start Metronome", "&Start Metronome", true },
        { "no tempo again", "&Start Metronome", "&Start Metronome", false },
    };
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Pointer pointer(rig);
    MenuEntry& mstop = *rig.flam().menus().entry(u"mstop");
    EXPECT_FALSE(mstop.available());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        if (std::string_view(c.state) == "running")
            rig.dragDialTo(40);
        else if (std::string_view(c.state) == "stopped")
            rig.key(Qt::Key_Return);
        else if (std::string_view(c.state) == "no tempo again")
            rig.dragDialTo(0);
        for (const bool onDragArea : { false, true }) {
            // The other spot's showing must not decide this one's flags.
            mstop.setAvailable(!c.available);
            pointer.press(Qt::RightButton, onDragArea ? kDragArea : kBackground);
            EXPECT_NE(takePopup(), nullptr);
            pointer.release(Qt::RightButton, onDragArea ? kDragArea : kBackground);
            takePopup();
            EXPECT_EQ(mstop.caption(), QString::fromLatin1(onDragArea ? c.dragArea : c.background))
                << (onDragArea ? "drag area" : "background");
            EXPECT_EQ(mstop.available(), c.available) << (onDragArea ? "drag area" : "background");
        }
    }
    // The entry then toggles the beat.
    rig.dragDialTo(40);
    pointer.press(Qt::RightButton, kBackground);
    takePopup();
    pointer.release(Qt::RightButton, kBackground);
    mstop.action()->trigger();
    EXPECT_FALSE(rig.metronome().running());
}

TEST(MainWindowSkin, SubdivisionButtonsShowTheirHoverPictureUntilThePointerIsBackOnTheSkin)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    Pointer pointer(rig);
    m.setRitam(QStringLiteral("1/8"));
    auto pictures = [&] {
        return std::array { m.image(MainControl::Image10).picture,
            m.image(MainControl::Image11).picture, m.image(MainControl::Image12).picture };
    };
    using P = ShownPicture;
    using Pictures = std::array<ShownPicture, 3>;
    ASSERT_EQ(pictures(), (Pictures { P::cg, P::ob, P::sg }));

    // The selected button, too, shows its hover picture under the pointer.
    pointer.move(centreOf("Image11"));
    EXPECT_EQ(pictures(), (Pictures { P::cg, P::od, P::sg }));
    pointer.move(kBackground);
    EXPECT_EQ(pictures(), (Pictures { P::cg, P::ob, P::sg }));

    // From one button straight onto the next, the first keeps its hover picture.
    pointer.move(centreOf("Image10"));
    pointer.move(centreOf("Image12"));
    EXPECT_EQ(pictures(), (Pictures { P::cd, P::ob, P::sd }));
    // A control on the skin is not the skin.
    pointer.move(centreOf("lblcd"));
    EXPECT_EQ(pictures(), (Pictures { P::cd, P::ob, P::sd }));
    pointer.move(kDragArea);
    EXPECT_EQ(pictures(), (Pictures { P::cg, P::ob, P::sg }));
    // The window shows the picture the state names.
    EXPECT_FALSE(rig.control<QLabel>("Image12")->pixmap().isNull());
}

TEST(MainWindowSkin, TheWindowFollowsALeftDragOnTheSkinOrTheDialsFrameOnly)
{
    struct Case
    {
        const char* where;
        QPoint at;
        Qt::MouseButton button;
        bool moves;
    };

    const Case cases[] = {
        { "background", kBackground, Qt::LeftButton, true },
        { "dial's frame", kDragArea, Qt::LeftButton, true },
        { "background, middle", kBackground, Qt::MiddleButton, false },
        { "dial face", kDialFace, Qt::LeftButton, false },
        { "mode word", centreOf("lblcd"), Qt::LeftButton, false },
        { "beat light", centreOf("Image5"), Qt::LeftButton, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        Pointer pointer(rig);
        rig.window().move(40, 30);
        const QPoint drag(25, 17);
        pointer.move(c.at);
        pointer.press(c.button, c.at);
        // The pointer moves on the screen; the window has not moved yet.
        pointer.move(c.at + drag);
        pointer.release(c.button, c.at + drag - (rig.window().pos() - QPoint(40, 30)));
        takePopup();
        EXPECT_EQ(rig.window().pos(), c.moves ? QPoint(40, 30) + drag : QPoint(40, 30));
        // A move after the release drags nothing.
        pointer.move(c.at);
        EXPECT_EQ(rig.window().pos(), c.moves ? QPoint(40, 30) + drag : QPoint(40, 30));
    }
}

TEST(MainWindowSkin, PianoButtonShowsItsPressedPictureAndOpensThePianoOnRelease)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    MainWindowMouse& mouse = rig.window().skin().mouse();
    Pointer pointer(rig);
    rig.dragDialTo(40);
    rig.player.calls.clear();

    pointer.move(centreOf("imKlavir"));
    pointer.press(Qt::LeftButton, centreOf("imKlavir"));
    EXPECT_EQ(mouse.imKlavir(), ShownPicture::Image25);
    EXPECT_TRUE(rig.metronome().running()) << "the piano opens on the release";
    // Released elsewhere, it still opens.
    pointer.release(Qt::LeftButton, kBackground);
    EXPECT_EQ(mouse.imKlavir(), ShownPicture::Image24);
    EXPECT_EQ(rig.windows.count(QStringLiteral("piano")), 1);
    EXPECT_FALSE(rig.metronome().running());
    EXPECT_EQ(rig.metronome().Text2(), QString());
    EXPECT_EQ(rig.metronome().lblTempo(), QString());
    EXPECT_EQ(rig.player.calls.first(), QStringLiteral("stani"));
}

TEST(MainWindowSkin, ButtonsOpenTheRecorderTheEncoderAndTheAboutBoxMinimiseAndClose)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Pointer pointer(rig);
    pointer.click(Qt::LeftButton, centreOf("GGCommand5"));
    pointer.click(Qt::LeftButton, centreOf("GGCommand6"));
    pointer.click(Qt::LeftButton, centreOf("Image23"));
    pointer.click(Qt::RightButton, centreOf("Image23"));
    rig.flam().menus().entry(u"mnuabout")->action()->trigger();
    EXPECT_EQ(rig.windows.count(QStringLiteral("frmRec")), 1);
    EXPECT_EQ(rig.windows.count(QStringLiteral("frmMp3")), 1);
    EXPECT_EQ(rig.windows.count(QStringLiteral("frmabout")), 2);

    pointer.click(Qt::LeftButton, centreOf("GGCommand8"));
    EXPECT_TRUE(rig.window().isMinimized());
    rig.window().showNormal();
    EXPECT_EQ(rig.window().size(), QSize(236, 423));
    rig.dragDialTo(40);
    pointer.click(Qt::LeftButton, centreOf("GGCommand7"));
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_FALSE(rig.stepping());
}

TEST(MainWindowSkin, TheSkinKeepsTheKeysAfterAGradientButtonClick)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.window().activateWindow();
    Pointer pointer(rig);
    QWidget* picture = rig.control("Picture1");
    for (const char* button : { "GGCommand2", "GGCommand5" }) {
        SCOPED_TRACE(button);
        pointer.click(Qt::LeftButton, centreOf(button));
        takePopup();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), picture);
    }
}

TEST(MainWindowSkin, PitchAndPolyEntriesNotYetBuiltSaySoAndTheTunerStopStillWorks)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.fake.boxes().clear();
    FlamMenus& menus = rig.flam().menus();
    menus.entry(u"mnupitch", 0)->action()->trigger();
    menus.entry(u"mnupoly", 2)->action()->trigger();
    menus.entry(u"mnupoly", 8)->action()->trigger();
    const auto& shown = rig.fake.boxes().shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
        QStringLiteral(
            "Playing the reference notes is not available in this version of Kadentor yet."));
    EXPECT_EQ(shown[1].icon, MsgIcon::Information);

    rig.dragDialTo(40);
    ASSERT_TRUE(rig.stepping());
    menus.entry(u"mnupitch", 12)->action()->trigger();
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(rig.fake.boxes().shown().size(), 2u);
}

TEST(MainWindowSkin, GradientButtonsCarryTheirDesign)
{
    struct Case
    {
        const char* name;
        const char* caption;
        int alignment;
        unsigned foreColor;
        const char* toolTip;
    };

    const Case cases[] = {
        { "GGCommand1", "Pitch", 6, 0x80000012u, "" },
        { "GGCommand3", "Misc", 3, 0x80000012u, "" },
        { "GGCommand5", "Rec", 4, 0x0000C0u, "" },
        { "GGCommand7", "r", 4, 0x80000012u, " Close " },
        { "GGCommand8", "0", 4, 0x80000012u, " Minimize " },
    };
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* button = rig.control<GGCommand>(c.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), placeOf(c.name));
        EXPECT_EQ(button->Caption(), QString::fromLatin1(c.caption));
        EXPECT_EQ(button->CaptionAlignment(), c.alignment);
        EXPECT_EQ(button->ForeColor(), c.foreColor);
        EXPECT_EQ(button->FontColorOnHover(), 0xFFFFFFu);
        EXPECT_EQ(button->GradientToColor(), 0x808080u);
        EXPECT_EQ(button->ToolTip(), QString::fromLatin1(c.toolTip));
    }
}
