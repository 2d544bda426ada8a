#include "MainWindowRig.h"
#include "app/ClickRate.h"
#include "controls/AnalogClock.h"
#include "controls/DrawSurface.h"
#include "controls/SliderPic.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/FakeMixerService.h"
#include "platform/shell/InstanceGuard.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString shown(MainWindowRig& rig, const char* label)
{
    return rig.control<QLabel>(label)->text();
}

void expectStoppedAndBlank(MainWindowRig& rig)
{
    Metronome& m = rig.metronome();
    EXPECT_FALSE(m.running());
    EXPECT_FALSE(rig.stepping());
    EXPECT_FALSE(m.image(MainControl::imstop).visible);
    EXPECT_FALSE(rig.control("imstop")->isVisibleTo(&rig.window()));
    EXPECT_EQ(m.Text2(), QString());
    EXPECT_EQ(m.lblTempo(), QString());
    EXPECT_EQ(shown(rig, "Text2"), QString());
    EXPECT_EQ(shown(rig, "lblTempo"), QString());
}

} // namespace

TEST(MainWindow, FreshStartEndsInTheTunersStopWithNothingPlaying)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();

    EXPECT_EQ(m.lblcd(), QStringLiteral("PITCH"));
    EXPECT_EQ(shown(rig, "lblcd"), QStringLiteral("PITCH"));
    EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));
    expectStoppedAndBlank(rig);
    EXPECT_EQ(m.image(MainControl::imstop).picture, ShownPicture::None);
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/4"));
    EXPECT_EQ(m.image(MainControl::Image10).picture, ShownPicture::cb);
    EXPECT_EQ(m.txtneakc2(), QStringLiteral("4"));
    EXPECT_EQ(m.BeatPattern, QStringLiteral("UDDD"));
    EXPECT_FALSE(m.FlamencoMode);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 0"));
    EXPECT_EQ(rig.slider().CurPosition(), 99);
    EXPECT_EQ(m.customTempoFlag(), 0u);
    EXPECT_EQ(m.image(MainControl::Image5).picture, ShownPicture::Image2);
    EXPECT_FALSE(m.image(MainControl::imz).visible);
    EXPECT_FALSE(m.image(MainControl::Image4).visible);
    EXPECT_EQ(rig.flam().menus().entry(u"mstop")->caption(), QStringLiteral("&Start Metronome"));
    // The dial change inside the tuner's stop runs while the mode word is still "MM": only the
    // tuner's stop itself reaches the player.
    EXPECT_EQ(
        rig.player.calls, QStringList({ QStringLiteral("stani2"), QStringLiteral("txtmidi=") }));
    EXPECT_EQ(rig.window().size(), QSize(236, 423));
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
}

TEST(MainWindow, StoredVolumeThatIsNoSmallNumberKeepsTheDesignPosition)
{
    struct Case
    {
        const char* stored; // nullptr: not stored
        int position;
    };

    const Case cases[] = {
        { nullptr, 99 },
        { "50", 50 },
        { "150", 100 },
        { "-3", 0 },
        { "abc", 0 },
        { "70000", 0 },
        { "", 0 },
        { "12.5", 12 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        std::vector<std::pair<QString, QString>> settings;
        if (c.stored)
            settings.push_back({ QStringLiteral("Volme"), QString::fromLatin1(c.stored) });
        MainWindowRig rig(settings);
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(rig.slider().CurPosition(), c.position);
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
    EXPECT_EQ(box.title, QStringLiteral("Kadentor Warning"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_FALSE(frmMtroNew::isLoaded());
    EXPECT_FALSE(frmFlam::isLoaded());
    EXPECT_TRUE(rig.player.calls.isEmpty());
}

TEST(MainWindow, DialMovesStartRestartAndStopTheBeatAtTheExactTempo)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.player.calls.clear();

    rig.dragDialTo(40);
    EXPECT_EQ(m.lblcd(), QStringLiteral("MM"));
    EXPECT_EQ(m.Text2(), QStringLiteral(" 120"));
    EXPECT_EQ(shown(rig, "Text2"), QStringLiteral(" 120"));
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 120"));
    EXPECT_EQ(m.lblTempo(), QStringLiteral("Allegretto  on 4"));
    EXPECT_EQ(shown(rig, "lblTempo"), QStringLiteral("Allegretto  on 4"));
    EXPECT_TRUE(m.running());
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());
    EXPECT_TRUE(rig.control("imstop")->isVisibleTo(&rig.window()));
    EXPECT_EQ(m.image(MainControl::Image5).picture, ShownPicture::Image1);
    // Half a second between clicks, exactly, on the 44.1 kHz clock.
    EXPECT_EQ(ExactInterval::forRateText(rig.flam().Label3())->offsetOfStep(1000), 22050000);
    // Leaving the tuner's mode stopped the player once; each start set the volume.
    EXPECT_EQ(rig.player.calls.count(QStringLiteral("stani2")), 1);
    EXPECT_EQ(rig.player.calls.last(), QStringLiteral("DajJako=99"));
    EXPECT_EQ(rig.window().focusWidget(), rig.control("Picture1"));

    rig.dragDialTo(50);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 150"));
    EXPECT_EQ(m.lblTempo(), QStringLiteral("Allegro  on 4"));
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());

    rig.dragDialTo(0);
    expectStoppedAndBlank(rig);
    // Nothing plays, and the toggle says so: Enter tries again and still finds no tempo.
    EXPECT_EQ(m.image(MainControl::imstop).picture, ShownPicture::playg);
    rig.key(Qt::Key_Return);
    EXPECT_EQ(m.image(MainControl::imstop).picture, ShownPicture::playg);
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(m.Text2(), QString());
}

TEST(MainWindow, SubdivisionButtonsMultiplyTheTempoExactly)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
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
    EXPECT_EQ(ExactInterval::forRateText(rig.flam().Label3())->offsetOfStep(4), 44100);
}

TEST(MainWindow, SubdivisionClickWhileStoppedChangesNothing)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();

    rig.click("Image11"); // no tempo yet: the toggle is hidden
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/4"));
    EXPECT_EQ(m.image(MainControl::Image11).picture, ShownPicture::og);

    rig.dragDialTo(40);
    rig.key(Qt::Key_Return); // stop
    ASSERT_FALSE(m.running());
    rig.click("Image11");
    rig.click("Image12");
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/4"));
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 120"));
    EXPECT_EQ(m.image(MainControl::Image10).picture, ShownPicture::cb);
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(m.image(MainControl::Image5).picture, ShownPicture::Image2);
}

TEST(MainWindow, EnterTogglesOncePerPressAndArrowsStepTheVolumeOnEveryRepeat)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.dragDialTo(40);
    ASSERT_TRUE(m.running());

    rig.key(Qt::Key_Return);
    EXPECT_FALSE(m.running());
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(m.image(MainControl::imstop).toolTip, QStringLiteral("PLAY"));
    rig.key(Qt::Key_Return, true);
    rig.key(Qt::Key_Enter, true);
    EXPECT_FALSE(m.running()) << "a held Enter does not toggle again";
    rig.key(Qt::Key_Enter);
    EXPECT_TRUE(m.running());
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());

    rig.player.calls.clear();
    rig.key(Qt::Key_Up);
    rig.key(Qt::Key_Right, true);
    rig.key(Qt::Key_Up, true); // held at the slider's maximum
    EXPECT_EQ(rig.slider().CurPosition(), 100);
    EXPECT_EQ(rig.player.calls,
        QStringList({ QStringLiteral("DajJako=100"), QStringLiteral("DajJako=100"),
            QStringLiteral("DajJako=100") }));
    rig.key(Qt::Key_Down);
    rig.key(Qt::Key_Left, true);
    rig.key(Qt::Key_Left, true);
    EXPECT_EQ(rig.slider().CurPosition(), 97);
    EXPECT_EQ(rig.player.calls.last(), QStringLiteral("DajJako=97"));
    EXPECT_EQ(rig.storedVolume(), QStringLiteral("97"));
    rig.key(Qt::Key_A);
    EXPECT_EQ(rig.slider().CurPosition(), 97);
    EXPECT_TRUE(m.running()) << "arrows leave the beat alone";
}

TEST(MainWindow, VolumeSliderTakesTheNewPositionFromItsEvent)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    SliderPic& slider = rig.slider();
    rig.player.calls.clear();

    // A click on the track left of the pointer makes it jump there.
    const SliderGeometry& g = slider.geometry();
    const QPoint onTrack(g.sliderLeft + 30, g.sliderTop + g.sliderHeight / 2);
    QTest::mouseClick(slider.findChild<DrawSurface*>(), Qt::LeftButton, {}, onTrack);
    const int level = slider.CurPosition();
    ASSERT_LT(level, 99);
    EXPECT_EQ(
        rig.player.calls, QStringList({ QStringLiteral("DajJako=") + QString::number(level) }));
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
    ASSERT_EQ(m.Ritam(), QStringLiteral("1/8"));

    rig.fake.boxes().answerInputNext(QStringLiteral("90"));
    rig.click("Text2");
    ASSERT_EQ(rig.fake.boxes().shown().size(), 1u);
    const BoxRequest& prompt = rig.fake.boxes().shown()[0];
    EXPECT_EQ(prompt.kind, BoxRequest::Kind::Input);
    EXPECT_EQ(prompt.text, QStringLiteral("Enter custom Tempo Value."));
    EXPECT_EQ(prompt.title, QStringLiteral("Set Metronome Tempo"));
    EXPECT_EQ(prompt.defaultText, QStringLiteral("120"));

    EXPECT_EQ(m.Text2(), QStringLiteral("90"));
    EXPECT_EQ(m.customTempoFlag(), kCustomTempoFlag);
    EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral("90"));
    EXPECT_EQ(m.Ritam(), QStringLiteral("1/4"));
    EXPECT_EQ(m.image(MainControl::Image10).picture, ShownPicture::cb);
    EXPECT_EQ(m.image(MainControl::Image11).picture, ShownPicture::og);
    EXPECT_EQ(m.lblTempo(), QStringLiteral("Andante  on 4"));
    EXPECT_TRUE(m.running());
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());

    // The toggle restarts the typed tempo, not the dial's.
    rig.key(Qt::Key_Return);
    rig.key(Qt::Key_Return);
    EXPECT_TRUE(m.running());
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral("90"));
    // A dial move clears the flag and goes back to the dial's tempo.
    rig.dragDialTo(20);
    EXPECT_EQ(m.customTempoFlag(), 0u);
    EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 60"));
}

TEST(MainWindow, CustomTempoRefusesWhatTheEngineCannotTimeAsIfCancelled)
{
    const char* refused[] = { "abc", "0", "-5", "90abc", "0.5", "2001", "1e9" };
    for (const char* answer : refused) {
        SCOPED_TRACE(answer);
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        Metronome& m = rig.metronome();
        rig.dragDialTo(40);
        rig.fake.boxes().answerInputNext(QString::fromLatin1(answer));
        rig.click("lblTempo");
        ASSERT_EQ(rig.fake.boxes().shown().size(), 2u);
        const BoxRequest& box = rig.fake.boxes().shown()[1];
        EXPECT_EQ(box.icon, MsgIcon::Critical);
        EXPECT_EQ(
            box.text, QStringLiteral("Please enter a tempo from 1 to 2000 beats per minute."));
        EXPECT_FALSE(m.running());
        EXPECT_FALSE(rig.stepping());
        EXPECT_EQ(m.customTempoFlag(), 0u);
        EXPECT_EQ(m.Text2(), QStringLiteral(" 120"));
        EXPECT_EQ(rig.flam().Label3(), QStringLiteral(" 120"));
        EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:40:00"));
    }

    const char* accepted[] = { "1", "2000", " 33.5 " };
    for (const char* answer : accepted) {
        SCOPED_TRACE(answer);
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        rig.fake.boxes().answerInputNext(QString::fromLatin1(answer));
        rig.click("Text2");
        EXPECT_EQ(rig.fake.boxes().shown().size(), 1u);
        EXPECT_TRUE(rig.metronome().running());
        EXPECT_EQ(rig.flam().Label3(), QString::fromLatin1(answer));
    }
}

TEST(MainWindow, CancelledCustomTempoLeavesTheBeatStoppedAndTheTempoShown)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.dragDialTo(40);
    rig.click("Text2"); // nothing scripted: Cancel
    EXPECT_EQ(rig.fake.boxes().shown().size(), 1u);
    EXPECT_FALSE(rig.metronome().running());
    EXPECT_EQ(rig.metronome().Text2(), QStringLiteral(" 120"));
    EXPECT_TRUE(rig.control("imstop")->isVisibleTo(&rig.window()));
    EXPECT_EQ(rig.metronome().image(MainControl::imstop).picture, ShownPicture::playg);
}

TEST(MainWindow, CustomTempoFromTheTunerStopsThePlayerAndBlanksTheTexts)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.metronome().setLblTempo(QStringLiteral("A4 = 440 Hz"));
    rig.player.calls.clear();
    rig.click("Text2"); // Cancel
    EXPECT_EQ(
        rig.player.calls, QStringList({ QStringLiteral("stani2"), QStringLiteral("txtmidi=") }));
    EXPECT_EQ(rig.metronome().lblcd(), QStringLiteral("MM"));
    EXPECT_EQ(rig.metronome().lblTempo(), QString());
}

TEST(MainWindow, BeatMenuSetsPatternBeatsAndCheckMarkAndLeavesTheBeatStopped)
{
    struct Case
    {
        int index;
        const char* pattern;
        const char* marking;
    };

    const Case cases[] = {
        { 0, "U", "Allegretto  on  1" },
        { 1, "UD", "Allegretto  on  2" },
        { 2, "UDD", "Allegretto  on  3" },
        { 3, "UDDD", "Allegretto  on  4" },
        { 4, "UDUDD", "Allegretto  on  5" },
        { 5, "ADDUDD", "Allegretto  on  6" },
    };
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    FlamMenus& menus = rig.flam().menus();
    EXPECT_TRUE(menus.entry(u"mnuBeat", 3)->checked());
    rig.dragDialTo(40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        if (!m.running())
            rig.key(Qt::Key_Return);
        m.FlamencoMode = true;
        ASSERT_TRUE(m.running());
        menus.entry(u"mnuBeat", c.index)->action()->trigger();
        EXPECT_FALSE(m.running());
        EXPECT_FALSE(rig.stepping());
        EXPECT_FALSE(m.FlamencoMode);
        EXPECT_EQ(m.BeatPattern, QString::fromLatin1(c.pattern));
        EXPECT_EQ(m.txtneakc2(), QStringLiteral(" ") + QString::number(c.index + 1));
        EXPECT_EQ(m.lblTempo(), QString::fromLatin1(c.marking));
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(menus.entry(u"mnuBeat", i)->checked(), i == c.index) << "entry " << i;
    }

    rig.key(Qt::Key_Return);
    ASSERT_TRUE(m.running());
    menus.entry(u"mnuBeat", 7)->action()->trigger();
    EXPECT_EQ(rig.windows.count(QStringLiteral("frmMSound")), 1);
    EXPECT_FALSE(m.running());
    EXPECT_EQ(m.BeatPattern, QStringLiteral("ADDUDD"));
    EXPECT_TRUE(menus.entry(u"mnuBeat", 5)->checked());
}

TEST(MainWindow, BeatMenuFromTheTunerStopsThePlayerAndResetsTheDial)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    m.setLblTempo(QStringLiteral("D3"));
    rig.player.calls.clear();
    m.Bitovi(2);
    EXPECT_EQ(rig.player.calls.first(), QStringLiteral("stani2"));
    EXPECT_EQ(m.lblcd(), QStringLiteral("MM"));
    EXPECT_EQ(m.Text2(), QString());
    EXPECT_EQ(m.lblTempo(), QString());
    EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));
    EXPECT_FALSE(rig.stepping());
}

TEST(MainWindow, TooltipsFollowTheStateUnderThePointer)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.metronome().setLblTempo(QStringLiteral("A4 = 440 Hz"));
    QWidget* lblTempo = rig.control("lblTempo");
    QTest::mouseMove(lblTempo, { 5, 5 });
    EXPECT_EQ(lblTempo->toolTip(), QStringLiteral("STOP Tuner"));

    rig.dragDialTo(40);
    QWidget* imstop = rig.control("imstop");
    QTest::mouseMove(imstop, { 10, 10 });
    EXPECT_EQ(imstop->toolTip(), QStringLiteral(" STOP "));
    QTest::mouseMove(lblTempo, { 6, 5 });
    EXPECT_EQ(lblTempo->toolTip(), QStringLiteral("Allegretto  on 4"));
    rig.click("imstop");
    QTest::mouseMove(imstop, { 11, 10 });
    EXPECT_EQ(imstop->toolTip(), QStringLiteral(" PLAY "));
    EXPECT_EQ(rig.control<QWidget>("Image11")->toolTip(), QStringLiteral("1/8 FOR BASE"));
}

TEST(MainWindow, ClosingEndsEverySoundAndStep)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.dragDialTo(40);
    ASSERT_TRUE(rig.flam().Timer2.isEnabled());
    rig.player.calls.clear();
    rig.window().raz11();
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_FALSE(rig.stepping());
    EXPECT_FALSE(rig.flam().Timer3.isEnabled());
    EXPECT_EQ(
        rig.player.calls, QStringList({ QStringLiteral("stani2"), QStringLiteral("txtmidi=") }));
}

TEST(MainWindow, TheRealPlayerSetsTheMasterVolumeAtEveryStart)
{
    FakePlatform fake;
    frmMtroNew* window = frmMtroNew::load(fake.platform);
    ASSERT_NE(window, nullptr);
    window->show();
    EXPECT_EQ(fake.mixer().openAttempts, 1);
    window->metronome().Picture1_KeyDown(38, 0); // 99 -> 100
    EXPECT_EQ(fake.mixer().valuesSet, std::vector<long>({ 65535 }));
    frmMtroNew::unload();
}
