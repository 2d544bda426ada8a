#include "MainWindowRig.h"
#include "app/ClickRate.h"
#include "app/StepWalker.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/FakeMixerService.h"
#include "platform/shell/FakeInstanceGuard.h"
#include "players/frmCD.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include <QLabel>
#include <QPaintEvent>
#include <QRegion>

#include <gtest/gtest.h>

namespace {

QString shown(MainWindowRig& rig, const char* label)
{
    return rig.control<QLabel>(label)->text();
}

// What the window painted: every paint event's region in the window's coordinates, and the
// controls that got one.
class PaintLog : public QObject
{
public:
    explicit PaintLog(QWidget& window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }

    ~PaintLog() override { qApp->removeEventFilter(this); }

    // Paints the updates waiting, then forgets what was painted so far.
    void clear()
    {
        QApplication::processEvents();
        region = {};
        painted.clear();
    }

    QRegion region;
    QStringList painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && widget->window() == &m_window) {
            region += static_cast<QPaintEvent*>(event)->region().translated(
                widget->mapTo(&m_window, QPoint(0, 0)));
            if (!painted.contains(widget->objectName()))
                painted << widget->objectName();
        }
        return false;
    }

private:
    QWidget& m_window;
};

// "x,y wxh" for each rectangle of a region, for messages.
std::string rectsOf(const QRegion& region)
{
    std::string text;
    for (const QRect& r : region)
        text += QStringLiteral("%1,%2 %3x%4; ")
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height())
                    .toStdString();
    return text;
}

void expectStoppedAndBlank(MainWindowRig& rig)
{
    EXPECT_FALSE(rig.metronome().running());
    EXPECT_FALSE(rig.stepping());
    EXPECT_FALSE(rig.control("imstop")->isVisibleTo(&rig.window()));
    EXPECT_EQ(shown(rig, "Text2"), QString());
    EXPECT_EQ(shown(rig, "lblTempo"), QString());
}

} // namespace

TEST(MainWindow, FreshStartEndsInTheTunersStopWithNothingPlaying)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(shown(rig, "lblcd"), QStringLiteral("PITCH"));
    EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));
    expectStoppedAndBlank(rig);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 0"));
    // The dial change inside the tuner's stop runs while the mode word is still "MM": only the
    // tuner's stop itself reaches the player.
    EXPECT_EQ(rig.calls, QStringList({ QStringLiteral("stani2"), QStringLiteral("txtmidi=") }));
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
}

TEST(MainWindow, StoredVolumeThatIsNoSmallNumberKeepsTheDesignPosition)
{
    struct Case
    {
        const char* stored; // nullptr: not stored
        int position;
    };

    const Case cases[] = { { nullptr, 99 }, { "50", 50 }, { "150", 100 }, { "-3", 0 },
        { "abc", 99 }, { "70000", 99 }, { "", 99 }, { "12.5", 12 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        std::vector<std::pair<QString, QString>> settings;
        if (c.stored)
            settings.push_back({ QStringLiteral("Volme"), QString::fromLatin1(c.stored) });
        MainWindowRig rig(settings);
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(rig.slider().CurPosition(), c.position);
        // Drawn there too: the pointer stands where the position puts it.
        SliderPic& slider = rig.slider();
        const SliderGeometry& g = slider.geometry();
        EXPECT_EQ(g.pointerLeft,
            g.valueToPixel(c.position, slider.Orientation(), slider.Min(), slider.Max()));
    }
}

TEST(MainWindow, ASecondCopyWarnsAndEnds)
{
    MainWindowRig rig;
    rig.fake.instance().running = true;
    EXPECT_FALSE(rig.start());
    ASSERT_EQ(rig.fake.boxes().shown().size(), 1u);
    const BoxRequest& box = rig.fake.boxes().shown()[0];
    EXPECT_EQ(box.text, QStringLiteral("kadentor is already running!"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_FALSE(frmMtroNew::isLoaded());
    EXPECT_FALSE(frmFlam::isLoaded());
    EXPECT_TRUE(rig.calls.isEmpty());
}

TEST(MainWindow, DialMovesStartRestartAndStopTheBeat)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.calls.clear();

    rig.dragDialTo(40);
    EXPECT_EQ(m.lblcd(), QStringLiteral("MM"));
    EXPECT_EQ(shown(rig, "Text2"), QStringLiteral(" 120"));
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 120"));
    EXPECT_EQ(shown(rig, "lblTempo"), QStringLiteral("Allegretto  on 4"));
    EXPECT_TRUE(m.running());
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());
    EXPECT_TRUE(rig.control("imstop")->isVisibleTo(&rig.window()));
    // Leaving the tuner's mode stopped the player once; each start set the volume.
    EXPECT_EQ(rig.calls.count(QStringLiteral("stani2")), 1);
    EXPECT_EQ(rig.calls.last(), QStringLiteral("DajJako=99"));
    EXPECT_EQ(rig.window().focusWidget(), rig.control("Picture1"));

    rig.dragDialTo(50);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 150"));
    EXPECT_EQ(m.lblTempo(), QStringLiteral("Allegro  on 4"));
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());

    rig.dragDialTo(0);
    expectStoppedAndBlank(rig);
    // Nothing plays, and the toggle says so: Enter tries again and still finds no tempo.
    rig.key(Qt::Key_Return);
    EXPECT_EQ(m.image(MainControl::imstop).picture, ShownPicture::playg);
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(m.Text2(), QString());
}

// A drag from 0 passes tempo 3, whose first click sets its timer to 20 s a step; each later move
// restarts the beat. The beat the drag comes to rest on must start within one of its own steps.
TEST(MainWindow, AFastDialDragStartsTheBeatItRestsOnWithinOneStepOfTheRelease)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    auto& device = static_cast<OfflineAudioDevice&>(rig.fake.platform.audio->device());
    const auto dialPoint = [&rig](int minute) {
        return pointAtMinute(rig.dial(), minute, rig.dial().geometry().faceRadius * 0.6);
    };
    auto* face = rig.dial().findChild<DrawSurface*>();
    constexpr std::int64_t kStepFrames = 2205; // 50 ms between the moves
    device.takeCaptured();
    QTest::mousePress(face, Qt::LeftButton, {}, dialPoint(0));
    for (int minute = 1; minute <= 14; ++minute) {
        QTest::mouseMove(face, dialPoint(minute));
        device.renderFrames(kStepFrames);
    }
    QTest::mouseRelease(face, Qt::LeftButton, {}, dialPoint(14));
    ASSERT_EQ(rig.metronome().lblTempo(), QStringLiteral("Largo  on 4"));
    ASSERT_EQ(rig.flam().Label3(), QStringLiteral(" 42"));
    const std::vector<float> dragged = device.takeCaptured();
    // The first move's click sounded during the drag: the slow interval is really set.
    ASSERT_TRUE(std::any_of(dragged.begin(), dragged.end(), [](float v) {
        return v != 0.0f;
    }));

    const std::int64_t oneStep = 63000; // 60 / 42 s
    device.renderFrames(oneStep + 2 * OfflineAudioDevice::kDefaultBlockFrames);
    const std::vector<float> after = device.takeCaptured();
    const auto heard = std::find_if(after.begin(), after.end(), [](float v) {
        return v != 0.0f;
    });
    ASSERT_NE(heard, after.end()) << "no click within one step of the release";
    // 1.43 s: one step, and the few samples of silence a clip may begin with.
    EXPECT_LE((heard - after.begin()) / 2, 63063);
}

TEST(MainWindow, SubdivisionButtonsMultiplyTheTempoOnlyWhileTheBeatPlays)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.click("Image11"); // no tempo yet: the toggle is hidden
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/4"));
    rig.dragDialTo(40);

    struct Step
    {
        const char* button;
        const char* rate;
        const char* ritam;
        ShownPicture quarter, eighth, sixteenth;
    };

    const Step steps[] = {
        { "Image11", "240", "1/8", ShownPicture::cg, ShownPicture::ob, ShownPicture::sg },
        { "Image12", "480", "1/16", ShownPicture::cg, ShownPicture::og, ShownPicture::sb },
        { "Image10", " 120", "1/4", ShownPicture::cb, ShownPicture::og, ShownPicture::sg },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.button);
        rig.click(s.button);
        EXPECT_EQ(rig.flam().Label3(), QString::fromLatin1(s.rate));
        EXPECT_EQ(m.Ritam(), QString::fromLatin1(s.ritam));
        EXPECT_EQ(m.image(MainControl::Image10).picture, s.quarter);
        EXPECT_EQ(m.image(MainControl::Image11).picture, s.eighth);
        EXPECT_EQ(m.image(MainControl::Image12).picture, s.sixteenth);
        EXPECT_TRUE(rig.flam().Timer2.isEnabled());
    }
    // The subdivision holds across a dial move: 1/16 at tempo 60 clicks 240 times a minute.
    rig.click("Image12");
    rig.dragDialTo(20);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral("240"));

    // Stopped, a click changes nothing.
    rig.key(Qt::Key_Return);
    ASSERT_FALSE(m.running());
    rig.click("Image11");
    rig.click("Image10");
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/16"));
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral("240"));
    EXPECT_EQ(m.image(MainControl::Image12).picture, ShownPicture::sb);
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(m.image(MainControl::Image5).picture, ShownPicture::Image2);
}

TEST(MainWindow, EnterTogglesOncePerPressAndArrowsAndTheSliderSetTheVolume)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.dragDialTo(40);
    ASSERT_TRUE(m.running());

    rig.key(Qt::Key_Return);
    EXPECT_FALSE(m.running());
    EXPECT_FALSE(rig.stepping());
    rig.key(Qt::Key_Enter, true); // one repeat: two would toggle back and hide the fault
    EXPECT_FALSE(m.running()) << "a held Enter does not toggle again";
    rig.key(Qt::Key_Enter);
    EXPECT_TRUE(m.running());
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());

    rig.calls.clear();
    rig.key(Qt::Key_Up);
    rig.key(Qt::Key_Right, true);
    rig.key(Qt::Key_Up, true); // held at the slider's maximum
    EXPECT_EQ(rig.calls, QStringList(3, QStringLiteral("DajJako=100")));
    rig.key(Qt::Key_Down);
    rig.key(Qt::Key_Left, true);
    rig.key(Qt::Key_Left, true);
    EXPECT_EQ(rig.slider().CurPosition(), 97);
    EXPECT_EQ(rig.calls.last(), QStringLiteral("DajJako=97"));
    EXPECT_EQ(rig.storedVolume(), QStringLiteral("97"));
    rig.key(Qt::Key_A);
    EXPECT_EQ(rig.slider().CurPosition(), 97);
    EXPECT_TRUE(m.running()) << "arrows leave the beat alone";

    // A click on the track left of the pointer: the handler takes the level from the event, as
    // the slider stores it only afterwards.
    rig.calls.clear();
    const SliderGeometry& g = rig.slider().geometry();
    QTest::mouseClick(rig.slider().findChild<DrawSurface*>(), Qt::LeftButton, {},
        QPoint(g.sliderLeft + 30, g.sliderTop + g.sliderHeight / 2));
    const int level = rig.slider().CurPosition();
    ASSERT_LT(level, 97);
    EXPECT_EQ(rig.calls, QStringList({ QStringLiteral("DajJako=") + QString::number(level) }));
    EXPECT_EQ(rig.storedVolume(), QString::number(level));
    EXPECT_EQ(rig.window().focusWidget(), rig.control("Picture1"));
}

TEST(MainWindow, CustomTempoPlaysQuarterNotesAtTheTypedTempo)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.dragDialTo(40);
    rig.click("Image11");
    // From a reference note: the player stops and the mode word goes back first.
    m.setLblcd(QStringLiteral("PITCH"));
    rig.calls.clear();

    rig.fake.boxes().answerInputNext(QStringLiteral("90"));
    rig.click("Text2");
    EXPECT_EQ(rig.calls.mid(0, 2), QStringList({ "stani2", "txtmidi=" }));
    EXPECT_EQ(m.lblcd(), QStringLiteral("MM"));
    ASSERT_EQ(rig.fake.boxes().shown().size(), 1u);
    EXPECT_EQ(rig.fake.boxes().shown()[0].text, QStringLiteral("Enter custom Tempo Value."));
    EXPECT_EQ(rig.fake.boxes().shown()[0].defaultText, QStringLiteral("120"));
    EXPECT_EQ(shown(rig, "Text2"), QStringLiteral("90"));
    EXPECT_EQ(m.customTempoFlag(), kCustomTempoFlag);
    EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral("90"));
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/4"));
    EXPECT_EQ(m.image(MainControl::Image11).picture, ShownPicture::og);
    EXPECT_EQ(m.lblTempo(), QStringLiteral("Andante  on 4"));
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());

    // The toggle restarts the typed tempo, not the dial's; a dial move goes back to the dial's.
    rig.key(Qt::Key_Return);
    rig.key(Qt::Key_Return);
    EXPECT_TRUE(m.running());
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral("90"));
    rig.dragDialTo(20);
    EXPECT_EQ(m.customTempoFlag(), 0u);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 60"));
}

TEST(MainWindow, CustomTempoRefusesWhatTheEngineCannotTimeAsIfCancelled)
{
    struct Case
    {
        const char* answer; // "": Cancel
        bool accepted;
    };

    const Case cases[] = { { "abc", false }, { "0", false }, { "-5", false }, { "90abc", false },
        { "0.5", false }, { "2001", false }, { "1e9", false }, { "", false }, { "1", true },
        { "2000", true }, { " 33.5 ", true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        Metronome& m = rig.metronome();
        rig.dragDialTo(40);
        if (*c.answer)
            rig.fake.boxes().answerInputNext(QString::fromLatin1(c.answer));
        rig.click("lblTempo");
        const auto& boxes = rig.fake.boxes().shown();
        EXPECT_EQ(m.running(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(boxes.size(), 1u);
            EXPECT_EQ(rig.flam().Label3(), QString::fromLatin1(c.answer));
            // Every accepted tempo plays in sixteenths too: the engine takes four times it.
            rig.click("Image12");
            EXPECT_EQ(m.Ritam(), QStringLiteral("1/16"));
            EXPECT_EQ(rig.flam().Label3(), NumText(Val(QString::fromLatin1(c.answer)) * 4));
            EXPECT_TRUE(ExactInterval::forRateText(rig.flam().Label3()).has_value());
            EXPECT_TRUE(rig.flam().Timer2.isEnabled());
            continue;
        }
        ASSERT_EQ(boxes.size(), *c.answer ? 2u : 1u);
        if (*c.answer) {
            EXPECT_EQ(boxes[1].icon, MsgIcon::Critical);
            EXPECT_EQ(boxes[1].text,
                QStringLiteral("Please enter a tempo from 1 to 2000 beats per minute."));
        }
        EXPECT_FALSE(rig.stepping());
        EXPECT_EQ(m.customTempoFlag(), 0u);
        EXPECT_EQ(m.Text2(), QStringLiteral(" 120"));
        EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 120"));
        EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:40:00"));
        EXPECT_EQ(m.image(MainControl::imstop).picture, ShownPicture::playg);
    }
}

TEST(MainWindow, BeatMenuSetsPatternBeatsAndCheckMarkAndLeavesTheBeatStopped)
{
    const char* patterns[] = { "U", "UD", "UDD", "UDDD", "UDUDD", "ADDUDD" };
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    FlamMenus& menus = rig.flam().menus();
    // From the tuner: the player stops, the dial goes back to 0 and both texts blank.
    m.setLblTempo(QStringLiteral("D3"));
    rig.calls.clear();
    menus.entry(u"mnuBeat", 2)->action()->trigger();
    EXPECT_EQ(rig.calls.mid(0, 2), QStringList({ "stani2", "txtmidi=" }));
    EXPECT_EQ(m.lblcd(), QStringLiteral("MM"));
    EXPECT_EQ(m.Text2(), QString());
    EXPECT_EQ(m.lblTempo(), QString());
    EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));

    rig.dragDialTo(40);
    for (int index = 0; index < 6; ++index) {
        SCOPED_TRACE(index);
        if (!m.running())
            rig.key(Qt::Key_Return);
        m.FlamencoMode = true;
        ASSERT_TRUE(m.running());
        menus.entry(u"mnuBeat", index)->action()->trigger();
        EXPECT_FALSE(m.running());
        EXPECT_FALSE(rig.stepping());
        EXPECT_FALSE(m.FlamencoMode);
        EXPECT_EQ(m.BeatPattern, QString::fromLatin1(patterns[index]));
        EXPECT_EQ(m.lblTempo(), QStringLiteral("Allegretto  on  %1").arg(index + 1));
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(menus.entry(u"mnuBeat", i)->checked(), i == index) << "entry " << i;
    }

    rig.key(Qt::Key_Return);
    menus.entry(u"mnuBeat", 7)->action()->trigger();
    EXPECT_EQ(rig.calls.count(QStringLiteral("show:frmMSound")), 1);
    EXPECT_FALSE(m.running());
    EXPECT_EQ(m.BeatPattern, QStringLiteral("ADDUDD"));
    EXPECT_TRUE(menus.entry(u"mnuBeat", 5)->checked());
}

// The program's own windows: a second copy leaves none of them loaded, a start loads the player,
// the main window and the engine form together, the player sets the master volume, and all of
// them are gone with the windows' owner.
TEST(MainWindow, TheProgramsWindowsLoadAndGoTogetherAndThePlayerSetsTheMasterVolume)
{
    const auto loaded = [] {
        return QString::number(frmCD::isLoaded()) + QString::number(frmMtroNew::isLoaded())
            + QString::number(frmFlam::isLoaded());
    };
    FakePlatform fake;
    {
        AppWindows windows(fake.platform);
        fake.instance().running = true;
        EXPECT_EQ(windows.loadMainWindow(), nullptr);
        EXPECT_EQ(loaded(), QStringLiteral("000"));

        fake.instance().running = false;
        frmMtroNew* window = windows.loadMainWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(loaded(), QStringLiteral("111"));
        window->show();
        EXPECT_EQ(fake.mixer().openAttempts, 1);
        window->metronome().Picture1_KeyDown(38, 0); // 99 -> 100
        EXPECT_EQ(fake.mixer().valuesSet, std::vector<long>({ 65535 }));
    }
    EXPECT_EQ(loaded(), QStringLiteral("000"));
}

// A light's change repaints its own rectangle and nothing else; steps that come due together
// repaint only the lights they leave changed (a beat light lit and put out again between two
// looks repaints nothing), and a light set to the state it has repaints nothing.
TEST(MainWindow, BeatLightsRepaintOnlyTheLightsTheirStepsChange)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    OfflineAudioDevice& device = rig.fake.audioDevice();
    const auto shown = [&m] {
        return QString(m.image(MainControl::Image5).visible ? 'A' : '-')
            + (m.image(MainControl::imz).visible ? 'z' : '-')
            + (m.image(MainControl::Image4).visible ? '4' : '-');
    };
    const auto placeOf = [&rig](std::initializer_list<const char*> names) {
        QRegion places;
        for (const char* name : names)
            places += rig.control(name)->geometry();
        return rectsOf(places);
    };
    // 600 a minute: 4410 samples a step, UDDD.
    rig.fake.boxes().answerInputNext(QStringLiteral("600"));
    const std::int64_t first = rig.fake.platform.audio->now() + StepWalker::kStartSamples;
    rig.click("Text2");
    ASSERT_TRUE(m.running());
    ASSERT_EQ(shown(), QStringLiteral("A--"));
    PaintLog paints(rig.window());
    const auto playThrough = [&](std::int64_t step, const char* state) {
        paints.clear();
        device.renderFrames(first + step * 4410 + 1 - device.renderedFrames());
        const bool reached = QTest::qWaitFor([&] {
            return shown() == QLatin1String(state);
        });
        QApplication::processEvents();
        return reached;
    };

    // The first up beat leaves the accent lit as it was at the start; the down beat after it
    // puts it out and lights imz.
    ASSERT_TRUE(playThrough(1, "-z-"));
    EXPECT_EQ(rectsOf(paints.region), placeOf({ "Image5", "imz" }));
    for (const QString& name : paints.painted)
        EXPECT_TRUE(QStringList({ "frmMtroNew", "Picture1", "Image5", "imz" }).contains(name))
            << name.toStdString();

    // Three steps (D, D, U) sound before the lights look again: Image4 lit and out again in
    // between shows no change.
    ASSERT_TRUE(playThrough(4, "A--"));
    EXPECT_EQ(rectsOf(paints.region), placeOf({ "Image5", "imz" }));

    // The stop puts out the beat lights, which are out already, and shows the accent at rest.
    paints.clear();
    rig.key(Qt::Key_Return);
    ASSERT_FALSE(m.running());
    QApplication::processEvents();
    EXPECT_EQ(rectsOf(paints.region), placeOf({ "imstop", "Image5" }));
}
