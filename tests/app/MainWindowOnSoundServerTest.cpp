// The main window's volume slider moving a real sound server's volume: a private PulseAudio
// daemon, or PipeWire's pulse server, reached through ALSA's pulse plugin. A process of its own,
// run alone: it points the process at the server.

#include "EnvironmentOverride.h"
#include "EventLoopScenario.h"
#include "MainWindowRig.h"
#include "PulseServer.h"
#include "SoundServer.h"
#include "app/SoundOutputNotice.h"
#include "platform/audio/AudioDevice.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OutputDevice.h"
#include "platform/audio/SdlAudioSubsystem.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/mixer/AlsaMixerService.h"
#include "players/MasterVolume.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <QMenu>
#include <QMessageBox>
#include <QWindow>

#include <gtest/gtest.h>
#include <signal.h>

namespace {

struct CountingAlsaMixer : AlsaMixerService
{
    int reopens = 0;

    bool reopen() override
    {
        ++reopens;
        return AlsaMixerService::reopen();
    }
};

// The sink's volume the slider's position asks for.
long sinkFor(int position)
{
    return AlsaMixerService::cardSteps(
        MasterVolume::levelValue(position, { 0, AlsaMixerService::kSteps }), 0, 65536);
}

} // namespace

class MainWindowOnSoundServer : public testing::TestWithParam<SoundServer::Kind>
{
};

TEST_P(MainWindowOnSoundServer, TheSinkFollowsTheSliderAtEveryPositionAndAfterTheServerRestarts)
{
    if (!SoundServer::installed(GetParam()))
        GTEST_SKIP() << SoundServer::name(GetParam()) << " is not installed";
    const std::unique_ptr<SoundServer> serverOwned = SoundServer::make(GetParam());
    SoundServer& server = *serverOwned;
    server.useInThisProcess();
    ASSERT_TRUE(server.start());

    MainWindowRig rig;
    auto owned = std::make_unique<CountingAlsaMixer>();
    CountingAlsaMixer& mixer = *owned;
    rig.fake.platform.mixer = std::move(owned);
    ASSERT_TRUE(rig.start(true));

    rig.clickSliderTrack(-20);
    ASSERT_EQ(rig.slider().CurPosition(), 0);
    std::vector<long> sink { server.sinkVolume().value_or(-1) };
    for (int position = 1; position <= 100; ++position) {
        rig.key(Qt::Key_Up);
        sink.push_back(server.sinkVolume().value_or(-1));
    }
    EXPECT_EQ(sink.front(), 0) << "the bottom is silence";
    EXPECT_EQ(sink.back(), 65536) << "the top is the server's full volume";
    EXPECT_EQ(sink[50], 32769);
    EXPECT_TRUE(std::adjacent_find(sink.begin(), sink.end(), std::greater_equal<>()) == sink.end())
        << "each position louder than the one below";
    EXPECT_EQ(mixer.reopens, 0);

    server.stop();
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.sinkVolume(), 65536L) << "a new server's sink starts full";
    rig.key(Qt::Key_Down);
    EXPECT_EQ(mixer.reopens, 1);
    EXPECT_EQ(server.sinkVolume(), sinkFor(99));
    rig.key(Qt::Key_Down);
    rig.clickSliderTrack(rig.slider().geometry().sliderWidth / 3);
    EXPECT_EQ(server.sinkVolume(), sinkFor(rig.slider().CurPosition()));
    EXPECT_EQ(mixer.reopens, 1) << "the reopened mixer is kept";
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Servers,
    MainWindowOnSoundServer,
    testing::Values(SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire),
    [](const testing::TestParamInfo<SoundServer::Kind>& info) {
        return SoundServer::name(info.param);
    });

namespace {

QMessageBox* shownNotice()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            return box;
    }
    return nullptr;
}

} // namespace

// The server gone while the program plays, with the program's own output, mixer and boxes. The
// user's session runs in the application's own event loop, as the program's main runs it.
class MainWindowOutageTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!PulseServer::installed())
            GTEST_SKIP() << "no PulseAudio here";
        server.useInThisProcess();
        ASSERT_TRUE(server.start());
        Platform& platform = rig.fake.platform;
        platform.audio =
            std::make_unique<AudioEngine>(makeOutputDevice(std::make_shared<SdlAudioSubsystem>()));
        ASSERT_FALSE(platform.audio->silentFallback());
        platform.boxes = std::make_unique<QtMessageBoxService>();
        platform.mixer = std::make_unique<AlsaMixerService>();
        ASSERT_TRUE(rig.start(true));
        rig.dragDialTo(40);
        ASSERT_TRUE(rig.stepping());
        notice = std::make_unique<SoundOutputNotice>(platform);
        notice->start();
        window = rig.window().windowHandle();
    }

    // The steps that play a while, kill the server and wait for the notice.
    void beginOutage()
    {
        using namespace std::chrono_literals;
        scenario.pause("the program plays", 500ms);
        scenario.step("the server is killed", 1s, [this] {
            server.stop(SIGKILL);
            return true;
        });
        scenario.step("the notice shows", 3s, [] {
            return shownNotice() != nullptr;
        });
    }

    PulseServer server;
    EnvironmentOverride driver { "SDL_AUDIODRIVER", "pulseaudio" };
    MainWindowRig rig;
    std::unique_ptr<SoundOutputNotice> notice;
    QWindow* window = nullptr;
    EventLoopScenario scenario;
};

TEST_F(MainWindowOutageTest, TheVolumeSliderFollowsTheMouseBehindTheNotice)
{
    using namespace std::chrono_literals;
    const SliderGeometry& track = rig.slider().geometry();
    const auto clickTrack = [&](int along) {
        const QPoint at = rig.slider().findChild<DrawSurface*>()->mapTo(&rig.window(),
            QPoint(track.sliderLeft + along, track.sliderTop + track.sliderHeight / 2));
        QTest::mouseMove(window, at);
        QTest::mouseClick(window, Qt::LeftButton, {}, at);
    };
    beginOutage();
    // From where it starts (99) to the middle, then to the bottom (the track's first pixel: the
    // window's events go to the control under the pointer, so the click has to be on it).
    ASSERT_EQ(rig.slider().CurPosition(), 99);
    scenario.step("the slider follows a click on its middle", 1s, [&] {
        clickTrack(track.sliderWidth / 2);
        return rig.slider().CurPosition() > 10 && rig.slider().CurPosition() < 90;
    });
    scenario.step("the slider follows a click on its bottom", 1s, [&] {
        clickTrack(0);
        return rig.slider().CurPosition() == 0;
    });

    EXPECT_EQ(scenario.run(), 0);
    EXPECT_EQ(scenario.stoppedAt(), "");
    EXPECT_FALSE(scenario.sawModal());
    EXPECT_TRUE(rig.stepping()) << "the beat goes on, silently";
    const QMessageBox* box = shownNotice();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->frameGeometry().intersects(rig.window().frameGeometry()))
        << "the notice covers none of the window's controls";
}

// Exit from the right button's menu: the window's close, and the program's quit path.
TEST_F(MainWindowOutageTest, ExitFromTheMenuEndsTheProgramBehindTheNotice)
{
    using namespace std::chrono_literals;
    // A spot of the skin with no control over it.
    const QPoint background(5, 200);
    beginOutage();
    scenario.step("Exit is chosen from the right button's menu", 1s, [&] {
        QTest::mouseMove(window, background);
        QTest::mousePress(window, Qt::RightButton, {}, background);
        QTest::mouseRelease(window, Qt::RightButton, {}, background);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return false;
        QTest::keyClick(menu, Qt::Key_X);
        return true;
    });
    // Only the program's own quit ends the loop from here on.
    scenario.step("the program ends", 2s, [] {
        return false;
    });

    EXPECT_EQ(scenario.run(), 0);
    EXPECT_EQ(scenario.stoppedAt(), "the program ends") << "the program's quit ends the loop";
    EXPECT_FALSE(scenario.sawModal());
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_FALSE(rig.stepping());
    EXPECT_EQ(shownNotice(), nullptr) << "the notice goes with the program";
}
