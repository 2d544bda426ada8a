// The metronome through a real sound server: a private PulseAudio daemon with a null sink, the
// real audio engine on SDL's pulseaudio driver, the real step engine on Qt's timers, and the
// sink's monitor recorded. The null sink consumes sound on the clock as a sound card does, so a
// block delivered late makes the server play silence and moves every later click: what the disk
// driver of the other tests can never show.

#include "ClickGrid.h"
#include "PulseServer.h"
#include "StepEngineRig.h"
#include "app/SoundOutputNotice.h"
#include "platform/audio/SdlAudioDevice.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kTempo = 400;
// The test clips are flat bursts of 1000 and more (of 32767) from their first sample on.
constexpr std::int16_t kClickThreshold = 500;
constexpr std::int64_t kMinGap = 250;

std::vector<std::int64_t> clicksIn(const std::string& recording)
{
    return findClickOnsets(PulseServer::readRecording(recording), kClickThreshold, kMinGap);
}

// The daemon, this process pointed at it, the real engine on SDL's pulseaudio driver, and the
// engine form with the test clips, ready to play the metronome.
class SoundServerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!PulseServer::installed())
            GTEST_SKIP() << "no PulseAudio daemon installed (scripts/install-deps)";
        ASSERT_TRUE(server.start()) << "see " << server.folder() << "/daemon.log";
        server.useInThisProcess();
        setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
        auto device = std::make_unique<SdlAudioDevice>();
        SdlAudioDevice* sdl = device.get();
        fake.platform.audio = std::make_unique<AudioEngine>(std::move(device));
        ASSERT_FALSE(fake.platform.audio->silentFallback());
        ASSERT_EQ(std::string(sdl->driverName()), "pulseaudio");
        writeTestClips(clips.path());
        auto sounds = std::make_unique<ClickSounds>(fake.platform, clips.path());
        sounds->LoadClickSoundIds();
        lights = std::make_unique<FakeBeatLights>(*fake.platform.audio);
        flam = std::make_unique<frmFlam>(fake.platform, std::move(sounds));
        flam->setLights(lights.get());
        // The program's watch of the sound output, which takes each new output.
        notice = std::make_unique<SoundOutputNotice>(fake.platform);
        notice->start();
    }

    void TearDown() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("PULSE_SERVER");
    }

    void startMetronome()
    {
        flam->setLabel3(QString::number(kTempo));
        flam->SvirajNormal(QStringLiteral("UDDD"));
        flam->Timer2.setEnabled(true);
    }

    using Clock = std::chrono::steady_clock;

    // Records the monitor into `name` in the test's folder, and returns its path once the
    // recording has begun: a null sink renders its first 2 s at once, when the daemon starts, so
    // that nothing reaches the monitor before then.
    std::string record(const char* name)
    {
        const std::string path = clips.filePath(QString::fromLatin1(name)).toStdString();
        EXPECT_TRUE(server.startRecording(path));
        for (int waited = 0; waited < 4000 && PulseServer::readRecording(path).empty();
             waited += 10)
            QTest::qWait(10);
        EXPECT_FALSE(PulseServer::readRecording(path).empty());
        return path;
    }

    PulseServer server;
    FakePlatform fake;
    QTemporaryDir clips;
    std::unique_ptr<FakeBeatLights> lights;
    std::unique_ptr<frmFlam> flam;
    std::unique_ptr<SoundOutputNotice> notice;
};

TEST_F(SoundServerTest, ClicksComeBackByThemselvesOnceTheServerIsBack)
{
    const std::string before = record("before.raw");
    startMetronome();
    QTest::qWait(2000);
    ASSERT_GE(clicksIn(before).size(), 5u) << "the clicks reach the server at all";

    // Gone for longer than the program's watch of the output takes to notice.
    server.stop(SIGKILL);
    server.stopRecording();
    QTest::qWait(2500);
    const auto restarted = Clock::now();
    ASSERT_TRUE(server.start());
    const std::string after = record("after.raw");

    // Nothing is pressed: only the event loop runs, as in the program.
    std::chrono::milliseconds back { -1 };
    while (Clock::now() - restarted < std::chrono::seconds(6)) {
        QTest::qWait(50);
        if (!clicksIn(after).empty()) {
            back = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - restarted);
            break;
        }
    }
    ASSERT_GE(back.count(), 0) << "no click in the 6 s after the server came back";
    EXPECT_LE(back.count(), 3000);
    EXPECT_FALSE(fake.platform.audio->silentFallback());
}

} // namespace
