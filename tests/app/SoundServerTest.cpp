// The metronome through a real sound server: a private PulseAudio daemon or PipeWire (with its
// pulse server), each with a null sink, the real audio engine on the program's own output to the
// server (or on SDL's pulseaudio driver), the real step engine on Qt's timers, and the sink's
// monitor recorded. The null sink consumes sound on the clock as a sound card does, so a block
// delivered late makes the server play silence and moves every later click: what the disk driver
// of the other tests can never show.

#include "SoundServer.h"

#include "ClickGrid.h"
#include "EventLoopScenario.h"
#include "StepEngineRig.h"
#include "app/SoundOutputNotice.h"
#include "platform/audio/BufferGrowth.h"
#include "platform/audio/OutputDevice.h"
#include "platform/audio/PulseAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/audio/SdlAudioSubsystem.h"
#include "platform/basic/MessageBoxService.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kTempo = 400;
constexpr std::int64_t kRate = AudioEngine::kSampleRate;
// The test clips are flat bursts of 1000 and more (of 32767) from their first sample on.
constexpr std::int16_t kClickThreshold = 500;
constexpr std::int64_t kMinGap = 250;

std::vector<std::int64_t> clicksIn(const std::string& recording)
{
    return findResampledClickOnsets(
        SoundServer::readRecording(recording), kClickThreshold, kMinGap);
}

// Where each click ends (the frame after its last loud one): the onsets of the recording played
// backwards. A click whose head an underrun dropped still ends on its own sample.
std::vector<std::int64_t> clickEndsIn(const std::string& recording)
{
    std::vector<std::int16_t> stereo = SoundServer::readRecording(recording);
    const auto frames = static_cast<std::int64_t>(stereo.size() / 2);
    for (std::int64_t n = 0; n < frames / 2; ++n) {
        std::swap(stereo[static_cast<std::size_t>(2 * n)],
            stereo[static_cast<std::size_t>(2 * (frames - 1 - n))]);
        std::swap(stereo[static_cast<std::size_t>(2 * n + 1)],
            stereo[static_cast<std::size_t>(2 * (frames - 1 - n) + 1)]);
    }
    std::vector<std::int64_t> ends;
    for (const std::int64_t onset : findResampledClickOnsets(stereo, kClickThreshold, kMinGap))
        ends.insert(ends.begin(), frames - onset);
    return ends;
}

// Holds the audio thread up once, for `ms`, in the block that reaches sample `at`: an audio
// thread the system did not run in time, as on a busy desktop.
class OneStall : public AudioSource
{
public:
    OneStall(std::int64_t at, int ms)
        : m_at(at)
        , m_ms(ms)
    {}

    void render(float*, int frames, std::int64_t firstSample) override
    {
        if (m_done || firstSample + frames <= m_at)
            return;
        m_done = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(m_ms));
    }

private:
    std::int64_t m_at;
    int m_ms;
    bool m_done = false;
};

// Holds the audio thread up for `ms` in the first block that starts `after` frames or more past a
// click it saw in the mix (the sources before it in the mix are the metronome's), each time it is
// armed: a late stretch, and the growth it may bring, that fall between two clicks.
class StallBetweenClicks : public AudioSource
{
public:
    StallBetweenClicks(std::int64_t after, int ms)
        : m_after(after)
        , m_ms(ms)
    {}

    void arm() { m_armed.store(true, std::memory_order_release); }

    int stalls() const { return m_stalls.load(std::memory_order_acquire); }

    void render(float* mix, int frames, std::int64_t firstSample) override
    {
        if (!m_armed.load(std::memory_order_acquire))
            return;
        if (m_click < 0) {
            for (int i = 0; i < frames && m_click < 0; ++i) {
                if (mix[2 * i] != 0.0f)
                    m_click = firstSample + i;
            }
            return;
        }
        if (firstSample < m_click + m_after)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(m_ms));
        m_click = -1;
        m_armed.store(false, std::memory_order_release);
        m_stalls.fetch_add(1, std::memory_order_release);
    }

private:
    std::int64_t m_after;
    int m_ms;
    std::int64_t m_click = -1;
    std::atomic<bool> m_armed { false };
    std::atomic<int> m_stalls { 0 };
};

std::string describe(const GridFit& fit)
{
    std::string text;
    for (const GridJump& jump : fit.jumps)
        text += "jump of " + std::to_string(jump.frames) + " samples at click "
            + std::to_string(jump.click) + "; ";
    return text;
}

enum class Output {
    Program, // the output the program picks: its own stream to the server
    Sdl, // SDL's pulseaudio driver
};

// A server of kind(), this process pointed at it, the real engine on output(), and the engine
// form with the test clips, ready to play the metronome.
class ServerRig : public testing::Test
{
protected:
    virtual SoundServer::Kind kind() const = 0;

    virtual Output output() const { return Output::Program; }

    void SetUp() override
    {
        if (!SoundServer::installed(kind()))
            GTEST_SKIP() << SoundServer::name(kind()) << " is not installed (scripts/install-deps)";
        server = SoundServer::make(kind());
        ASSERT_TRUE(server->start()) << "see the logs in " << server->folder();
        server->useInThisProcess();
        setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
        opened = Clock::now();
        if (output() == Output::Sdl) {
            fake.platform.audio = std::make_unique<AudioEngine>(std::make_unique<SdlAudioDevice>());
            auto* sdl = dynamic_cast<SdlAudioDevice*>(&fake.platform.audio->device());
            ASSERT_NE(sdl, nullptr);
            ASSERT_EQ(std::string(sdl->driverName()), "pulseaudio");
        } else {
            fake.platform.audio = std::make_unique<AudioEngine>(
                makeOutputDevice(std::make_shared<SdlAudioSubsystem>()));
            ASSERT_NE(dynamic_cast<PulseAudioDevice*>(&fake.platform.audio->device()), nullptr);
        }
        ASSERT_FALSE(fake.platform.audio->silentFallback());
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

    struct Recording
    {
        std::string path;
    };

    // Records the monitor into `name` in the test's folder, and returns once the recording has
    // begun: a null sink renders its first 2 s at once, when the daemon starts, so that nothing
    // reaches the monitor before then.
    Recording record(const char* name)
    {
        Recording recording { clips.filePath(QString::fromLatin1(name)).toStdString() };
        EXPECT_TRUE(server->startRecording(recording.path));
        std::size_t samples = 0;
        for (int waited = 0; waited < 4000 && samples == 0; waited += 10) {
            QTest::qWait(10);
            samples = SoundServer::readRecording(recording.path).size();
        }
        EXPECT_NE(samples, 0u);
        return recording;
    }

    struct Played
    {
        GridFit fit;
        GridFit endFit; // the clicks' ends on their grid
        Recording recording;
        // When the engine's block grew, and when it saw a late block, as the event loop saw it.
        std::vector<Clock::time_point> growths;
        std::vector<Clock::time_point> lateBlocks;

        // The late blocks seen once the stream had settled (its first seconds' underruns grow
        // nothing).
        std::size_t settledLateBlocks() const
        {
            return static_cast<std::size_t>(
                std::count_if(lateBlocks.begin(), lateBlocks.end(), [&](Clock::time_point seen) {
                    return seen >= settledAt;
                }));
        }

        // A growth needs an underrun within 10 s before the one it comes with.
        std::size_t mostGrowths() const
        {
            return settledLateBlocks() > 0 ? settledLateBlocks() - 1 : 0;
        }

        Clock::time_point settledAt;
    };

    // Plays the metronome for 20 s with `source` mixed in (may be null) and lays the clicks the
    // server played on their grid. `meanwhile` runs on each turn of the event loop.
    Played playMetronome(AudioSource* source, const std::function<void()>& meanwhile = {})
    {
        Played played;
        played.settledAt = opened + std::chrono::nanoseconds(BufferGrowth::kSettleNanos)
            + std::chrono::milliseconds(100);
        played.recording = record("metronome.raw");
        startMetronome();
        if (source)
            fake.platform.audio->addSource(source);
        const auto end = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < end) {
            QTest::qWait(20);
            if (meanwhile)
                meanwhile();
            if (fake.platform.audio->blockGrowths() > static_cast<int>(played.growths.size()))
                played.growths.push_back(Clock::now());
            if (fake.platform.audio->lateBlocks()
                > static_cast<std::int64_t>(played.lateBlocks.size()))
                played.lateBlocks.push_back(Clock::now());
        }
        flam->Timer2.setEnabled(false);
        if (source)
            fake.platform.audio->removeSource(source);
        QTest::qWait(300);
        server->stopRecording();
        played.fit = fitToGrid(
            clicksIn(played.recording.path), StepGrid::forRate(kTempo), 0, JumpsGo::Later);
        played.endFit = fitToGrid(
            clickEndsIn(played.recording.path), StepGrid::forRate(kTempo), 0, JumpsGo::Later);
        // 20 s at 400 a minute, less the run's start.
        EXPECT_GE(played.fit.clicks, 128u);
        return played;
    }

    std::unique_ptr<SoundServer> server;
    FakePlatform fake;
    QTemporaryDir clips;
    std::unique_ptr<FakeBeatLights> lights;
    std::unique_ptr<frmFlam> flam;
    std::unique_ptr<SoundOutputNotice> notice;
    // When the output opened.
    Clock::time_point opened;
};

// On the program's own output.
class SoundServerTest : public ServerRig, public testing::WithParamInterface<SoundServer::Kind>
{
protected:
    SoundServer::Kind kind() const override { return GetParam(); }
};

// However busy the machine: an underrun loses the stretch the server could not play (a click in
// it at most), only underruns that repeat grow the queue, and every click after it stays on the
// first click's grid.
TEST_P(SoundServerTest, TheMetronomeHeardThroughTheServerStaysOnOneExactGrid)
{
    const Played played = playMetronome(nullptr);
    EXPECT_TRUE(played.fit.jumps.empty()) << describe(played.fit);
    EXPECT_EQ(played.fit.largestOffGrid, 0);
    EXPECT_LE(played.fit.missingSteps, static_cast<std::int64_t>(played.lateBlocks.size()));
    EXPECT_LE(played.growths.size(), played.mostGrowths());
}

TEST_P(SoundServerTest,
    AnAudioThreadHeldUpOnceLosesOnlyItsLateStretchGrowsNothingAndTheClicksKeepTheirGrid)
{
    // 5 s in (past the stream's first seconds), whatever else the machine does: far longer than
    // the queue, so the server runs dry.
    OneStall stall(fake.platform.audio->now() + 5 * kRate, 40);
    const Played played = playMetronome(&stall);
    ASSERT_GE(played.settledLateBlocks(), 1u) << "the server never ran dry";
    // The one underrun grows nothing; only another within 10 s of it (the machine may run the
    // server dry by itself now and then) would.
    EXPECT_LE(played.growths.size(), played.mostGrowths());
    EXPECT_TRUE(played.fit.jumps.empty()) << describe(played.fit);
    EXPECT_TRUE(played.endFit.jumps.empty()) << describe(played.endFit);
    // The stretch lost is about 30 ms: one click at most, where it fell in it. A click it cut
    // keeps the end it had (its head lost: PipeWire drops whole periods) or its onset (its tail
    // lost), and every other click keeps both.
    EXPECT_TRUE(played.fit.largestOffGrid == 0 || played.endFit.largestOffGrid == 0)
        << "onsets off by " << played.fit.largestOffGrid << ", ends off by "
        << played.endFit.largestOffGrid;
    EXPECT_LE(played.fit.missingSteps, 1);
}

// The server runs dry between two clicks, twice within a few seconds, and the queue grows: no
// click is lost for the growth, and every one keeps its sample. (PipeWire's pulse server used to
// lose the click after it.)
TEST_P(SoundServerTest, AGrowthOfTheQueueBetweenTwoClicksLosesNoClick)
{
    // 1000 frames after a click's start (the clips last 220), 40 ms late: the stretch lost ends
    // some 2500 frames after the click, long before the next one (6615). The second stall, the
    // repeat that grows the queue, comes 1.5 s after the first.
    StallBetweenClicks stall(1000, 40);
    const auto armAt = Clock::now() + std::chrono::seconds(5);
    int armed = 0;
    const Played played = playMetronome(&stall, [&] {
        if (armed < 2 && stall.stalls() == armed
            && Clock::now() >= armAt + armed * std::chrono::milliseconds(1500)) {
            stall.arm();
            ++armed;
        }
    });
    ASSERT_EQ(stall.stalls(), 2);
    ASSERT_GE(played.growths.size(), 1u) << "the server never ran dry twice";
    EXPECT_TRUE(played.fit.jumps.empty()) << describe(played.fit);
    EXPECT_EQ(played.fit.largestOffGrid, 0);
    EXPECT_EQ(played.fit.missingSteps, 0);
    EXPECT_EQ(played.fit.extraClicks, 0);
}

// On either output: SDL's still plays where the program's own cannot be had.
class SoundServerReturnTest
    : public ServerRig,
      public testing::WithParamInterface<std::tuple<SoundServer::Kind, Output>>
{
protected:
    SoundServer::Kind kind() const override { return std::get<0>(GetParam()); }

    Output output() const override { return std::get<1>(GetParam()); }
};

TEST_P(SoundServerReturnTest, ClicksComeBackByThemselvesOnceTheServerIsBack)
{
    const Recording before = record("before.raw");
    startMetronome();
    QTest::qWait(2000);
    ASSERT_GE(clicksIn(before.path).size(), 5u) << "the clicks reach the server at all";

    // Gone for longer than the program's watch of the output takes to notice.
    server->stop(SIGKILL);
    server->stopRecording();
    QTest::qWait(2500);
    const auto restarted = Clock::now();
    ASSERT_TRUE(server->start());
    const Recording after = record("after.raw");

    // Nothing is pressed: only the event loop runs, as in the program.
    std::chrono::milliseconds back { -1 };
    while (Clock::now() - restarted < std::chrono::seconds(6)) {
        QTest::qWait(50);
        if (!clicksIn(after.path).empty()) {
            back = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - restarted);
            break;
        }
    }
    ASSERT_GE(back.count(), 0) << "no click in the 6 s after the server came back";
    EXPECT_LE(back.count(), 3000);
    EXPECT_FALSE(fake.platform.audio->silentFallback());
}

// The program's notices on the screen now.
std::vector<QMessageBox*> noticesShown()
{
    std::vector<QMessageBox*> shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            shown.push_back(box);
    }
    return shown;
}

// The server killed twice, the second time 2 s after the sound came back, with the notice left
// unanswered, in the program's own event loop and with its real boxes: each loss is told in a
// notice, one at a time, that holds nothing up, the clicks come back after each return, and the
// notice goes by itself with them.
TEST_P(SoundServerReturnTest, TwoLossesWithTheNoticeLeftOpenAreEachFollowedBySound)
{
    using namespace std::chrono_literals;
    fake.platform.boxes = std::make_unique<QtMessageBoxService>();
    const std::string before = clips.filePath(QStringLiteral("before.raw")).toStdString();
    ASSERT_TRUE(server->startRecording(before));
    startMetronome();

    std::size_t mostShown = 0;
    const auto noticeSays = [&mostShown](const char* words) {
        const std::vector<QMessageBox*> shown = noticesShown();
        mostShown = std::max(mostShown, shown.size());
        return shown.size() == 1 && shown[0]->text().contains(QLatin1String(words));
    };
    std::vector<std::chrono::milliseconds> backAfter;
    Clock::time_point restarted;
    std::string after;

    EventLoopScenario scenario;
    scenario.step("the clicks reach the server", 5s, [&] {
        return clicksIn(before).size() >= 5;
    });
    for (const char* loss : { "after1.raw", "after2.raw" }) {
        scenario.step("the server is killed", 1s, [&] {
            server->stop(SIGKILL);
            server->stopRecording();
            return true;
        });
        scenario.step("the notice tells of the loss", 3s, [&] {
            return noticeSays("stopped working");
        });
        // Gone for longer than the program's watch of the output takes to notice.
        scenario.pause("the server stays away", 1500ms);
        scenario.step("the server is back", 1s, [&, loss] {
            if (!server->start())
                return false;
            restarted = Clock::now();
            after = clips.filePath(QString::fromLatin1(loss)).toStdString();
            return server->startRecording(after);
        });
        scenario.step("the clicks are back", 6s, [&] {
            if (clicksIn(after).empty())
                return false;
            backAfter.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - restarted));
            return true;
        });
        scenario.step("the notice goes by itself", 1s, [&] {
            noticeSays("");
            return noticesShown().empty();
        });
        scenario.pause("the sound plays", 2s);
    }

    EXPECT_EQ(scenario.run(), 0);
    EXPECT_EQ(scenario.stoppedAt(), "");
    EXPECT_FALSE(scenario.sawModal());
    EXPECT_EQ(mostShown, 1u);
    ASSERT_EQ(backAfter.size(), 2u);
    for (const std::chrono::milliseconds back : backAfter)
        EXPECT_LE(back.count(), 3000);
    EXPECT_EQ(fake.platform.audio->outputReturns(), 2);
    EXPECT_FALSE(fake.platform.audio->silentFallback());
}

INSTANTIATE_TEST_SUITE_P(Servers,
    SoundServerTest,
    testing::Values(SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire),
    [](const testing::TestParamInfo<SoundServer::Kind>& info) {
        return SoundServer::name(info.param);
    });

INSTANTIATE_TEST_SUITE_P(ServersAndOutputs,
    SoundServerReturnTest,
    testing::Combine(testing::Values(SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire),
        testing::Values(Output::Program, Output::Sdl)),
    [](const testing::TestParamInfo<std::tuple<SoundServer::Kind, Output>>& info) {
        return std::string(SoundServer::name(std::get<0>(info.param)))
            + (std::get<1>(info.param) == Output::Program ? "Program" : "Sdl");
    });

} // namespace
